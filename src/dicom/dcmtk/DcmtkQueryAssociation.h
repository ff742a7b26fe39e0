// Study Root C-FIND and C-MOVE on DCMTK's DcmSCU.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

class MoveScu;

class DcmtkQueryAssociation : public QueryAssociation {
public:
    explicit DcmtkQueryAssociation(const Timeouts& timeouts);
    ~DcmtkQueryAssociation() override;

    // One association per call: C-FIND with `identifier` (Query/Retrieve
    // Level "STUDY" added when absent); after kMaxFindResults matches the
    // query is cancelled, and the association aborted when the archive goes
    // on sending.
    DatasetList Find(const Dataset& identifier) override;

    // C-MOVE of studyUID() to moveDestination(). The first call opens the
    // association, later calls reuse it; the destructor releases it.
    void Move() override;

private:
    Timeouts timeouts_;
    std::unique_ptr<MoveScu> moveScu_;
};

}  // namespace pelko::dicom::dcmtk
