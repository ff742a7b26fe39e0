#include "peers/DicomFiles.h"

#include <stdexcept>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "peers/ChildProcess.h"

namespace pelko::test {

void WriteDicomFile(const std::filesystem::path& file, const std::vector<dicom::Attribute>& attributes) {
    DcmFileFormat format;
    DcmDataset* ds = format.getDataset();
    char uid[100];
    ds->putAndInsertString(DCM_SOPClassUID, UID_SecondaryCaptureImageStorage);
    ds->putAndInsertString(DCM_SOPInstanceUID, dcmGenerateUniqueIdentifier(uid, SITE_INSTANCE_UID_ROOT));
    ds->putAndInsertString(DCM_SeriesInstanceUID, dcmGenerateUniqueIdentifier(uid, SITE_SERIES_UID_ROOT));
    for (const auto& a : attributes) {
        DcmTag tag(a.tag.group, a.tag.element);
        if (ds->putAndInsertOFStringArray(tag, OFString(a.value.data(), a.value.size())).bad()) {
            throw std::runtime_error("cannot set " + std::string(tag.getTagName()) + " in " + file.string());
        }
    }
    if (format.saveFile(file.string().c_str(), EXS_LittleEndianExplicit).bad()) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void StoreFolder(const std::filesystem::path& folder, int port, const std::string& aet) {
    if (!RunQuietly(
            {"/usr/bin/storescu", "-aec", aet, "+sd", "127.0.0.1", std::to_string(port), folder.string()})) {
        throw std::runtime_error("storescu could not store " + folder.string() + " at " + aet);
    }
}

}  // namespace pelko::test
