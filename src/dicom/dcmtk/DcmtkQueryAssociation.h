// Study Root C-FIND and C-MOVE on DCMTK's DcmSCU.
#pragma once

#include <memory>

#include "dicom/Tls.h"
#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

class MoveScu;

class DcmtkQueryAssociation : public QueryAssociation {
public:
    // With `tls` enabled, every association goes over TLS.
    explicit DcmtkQueryAssociation(const Timeouts& timeouts, const TlsSettings& tls = {});
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
    TlsSettings tls_;
    std::unique_ptr<MoveScu> moveScu_;
};

}  // namespace pelko::dicom::dcmtk
