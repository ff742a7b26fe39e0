// C-STORE of small data sets (the redirect requests) on DCMTK's DcmSCU.
#pragma once

#include <memory>

#include "dicom/Tls.h"
#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

class Scu;

class DcmtkStoreAssociation : public StoreAssociation {
public:
    // With `tls` enabled, the association goes over TLS.
    explicit DcmtkStoreAssociation(const Timeouts& timeouts, const TlsSettings& tls = {});
    ~DcmtkStoreAssociation() override;

    // Proposes CR Image Storage, the one class the program stores, in
    // Explicit and Implicit VR Little Endian.
    void Open(const std::string& host, std::int32_t port, const std::string& callingAET,
              const std::string& calledAET) override;
    // Sends `dataset` with (0008,0016)/(0008,0018) set to the UIDs, in
    // Explicit VR Little Endian when accepted. A warning status (0xBxxx)
    // counts as stored. `priority` is not used: requests go with priority
    // MEDIUM.
    void Store(const std::string& sopClassUID, const std::string& sopInstanceUID, std::int16_t priority,
               const Dataset& dataset) override;
    void Close() override;

private:
    Timeouts timeouts_;
    TlsSettings tls_;
    std::unique_ptr<Scu> scu_;
};

}  // namespace pelko::dicom::dcmtk
