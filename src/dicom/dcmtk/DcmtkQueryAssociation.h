// Study Root C-FIND and C-MOVE towards the archive on DCMTK.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

class Association;

class DcmtkQueryAssociation : public QueryAssociation {
public:
    explicit DcmtkQueryAssociation(const AssociationParameters& params, DicomLog* log = nullptr);
    ~DcmtkQueryAssociation() override;

    // One association per call (see FindStudies).
    DatasetList Find(const Dataset& identifier, const FindObserver* observer) override;

    // The first call opens the association, later calls reuse it (a new one
    // is opened after a failure or an abort); the destructor releases it.
    MoveResult Move(const std::string& studyUid, const std::string& destination,
                    MoveObserver* observer) override;
    MoveResult MoveSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids,
                          const std::string& destination, MoveObserver* observer) override;

private:
    MoveResult MoveKeys(const Dataset& query, const std::string& operation, const std::string& destination,
                        MoveObserver* observer);

    AssociationParameters params_;
    DicomLog* log_;
    std::unique_ptr<Association> moveAssociation_;
};

}  // namespace pelko::dicom::dcmtk
