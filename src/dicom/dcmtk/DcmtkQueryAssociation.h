// Study Root C-FIND and C-MOVE on DCMTK's DcmSCU.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

class MoveScu;

class DcmtkQueryAssociation : public QueryAssociation {
public:
    explicit DcmtkQueryAssociation(const AssociationParameters& params);
    ~DcmtkQueryAssociation() override;

    // One association per call: C-FIND with `identifier` (Query/Retrieve
    // Level "STUDY" added when absent); after kMaxFindResults matches the
    // query is cancelled, and the association aborted when the archive goes
    // on sending.
    DatasetList Find(const Dataset& identifier) override;

    // The first call opens the association, later calls reuse it (a new one
    // is opened when the peer has dropped it); the destructor releases it.
    MoveResult Move(const std::string& studyUid, const std::string& destination,
                    MoveObserver* observer) override;

private:
    AssociationParameters params_;
    std::unique_ptr<MoveScu> moveScu_;
};

}  // namespace pelko::dicom::dcmtk
