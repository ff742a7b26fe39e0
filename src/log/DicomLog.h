// The administrator's DICOM network log (Logs/Dicom.log), switched on in
// Settings.ini. The DICOM adapter writes its own lines and DCMTK's network
// log through it; where it is off, nobody holds one.
#pragma once

#include <string_view>

namespace pelko {

class DicomLog {
public:
    virtual ~DicomLog() = default;
    // One line, UTF-8, without its line end. Safe to call from any thread.
    virtual void Write(std::string_view line) = 0;
};

}  // namespace pelko
