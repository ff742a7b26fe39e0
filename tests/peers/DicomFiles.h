// Small DICOM files for seeding the archives of the tests: Secondary
// Capture objects without pixel data, sent to an archive with storescu.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dicom/Toolkit.h"

namespace pelko::test {

// Writes `file` (Explicit VR Little Endian) with `attributes`, value bytes
// as given (Latin-1 bytes for ISO_IR 100). SOP Class, SOP Instance and
// Series Instance UID are added unless given.
void WriteDicomFile(const std::filesystem::path& file, const std::vector<dicom::Attribute>& attributes);

// Sends every file in `folder` to the archive `aet` on 127.0.0.1:`port`
// with DCMTK's storescu, one association. Throws std::runtime_error when
// storescu fails.
void StoreFolder(const std::filesystem::path& folder, int port, const std::string& aet);

}  // namespace pelko::test
