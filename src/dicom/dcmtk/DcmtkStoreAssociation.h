// C-STORE of small data sets (the redirect requests) on DCMTK.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

class Association;

class DcmtkStoreAssociation : public StoreAssociation {
public:
    explicit DcmtkStoreAssociation(const AssociationParameters& params, DicomLog* log = nullptr);
    ~DcmtkStoreAssociation() override;

    // Proposes `sopClassUID` in Explicit and Implicit VR Little Endian.
    void Open(const std::string& sopClassUID) override;
    // Sends `dataset` with (0008,0016)/(0008,0018) set to the UIDs, in
    // Explicit VR Little Endian when accepted, with priority MEDIUM. A
    // warning status (0xBxxx) counts as stored.
    void Store(const std::string& sopInstanceUID, const Dataset& dataset) override;
    void Close() override;

private:
    AssociationParameters params_;
    DicomLog* log_;
    std::string sopClassUID_;
    std::unique_ptr<Association> assoc_;
};

}  // namespace pelko::dicom::dcmtk
