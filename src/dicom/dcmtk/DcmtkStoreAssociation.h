// C-STORE of small data sets (the redirect requests) on DCMTK's DcmSCU.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

class Scu;

class DcmtkStoreAssociation : public StoreAssociation {
public:
    explicit DcmtkStoreAssociation(const AssociationParameters& params);
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
    std::string sopClassUID_;
    std::unique_ptr<Scu> scu_;
};

}  // namespace pelko::dicom::dcmtk
