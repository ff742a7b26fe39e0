// Failures of DCMTK's network layer as DicomError: the number from
// ErrorNumber, the description naming the operation, the peer and what went
// wrong. Private to the adapter.
#pragma once

#include <cstdint>
#include <string>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/ofstd/ofcond.h"
#include "dicom/StatusWords.h"
#include "dicom/Toolkit.h"

class DcmDataset;

namespace pelko::dicom::dcmtk {

// The peer of an association.
struct Peer {
    std::string aet;
    std::string host;
    std::int32_t port = 0;

    // "ORTHANC (127.0.0.1:4242)"
    std::string Text() const;
};

// The error for `cond`, a failed network call while doing `operation` (a
// text such as "C-FIND on ORTHANC (127.0.0.1:4242)"). `waitSeconds` is the
// bound of the wait that a time-out exceeded. Its detail is the reason
// after "failed: ".
DicomError NetworkError(const std::string& operation, const OFCondition& cond, int waitSeconds);

// The error for a final DIMSE status of `operation` that is no success:
// the status code is the number, the description StatusWords (with
// `destination` and `counts` for a move), followed by " The archive said:
// <comment>." when the response carried an Error Comment (0000,0902).
DicomError StatusError(Operation operation, std::uint16_t status, const std::string& comment,
                       const std::string& destination = {}, const MoveCounts& counts = {});

// The Error Comment (0000,0902) of a response's status detail, or "".
std::string ErrorComment(DcmDataset* statusDetail);

// `comment` for a log line: ", the archive said: <comment>", or "".
std::string Said(const std::string& comment);

}  // namespace pelko::dicom::dcmtk
