// A C-FIND response's data set from any bytes, decoded into the texts of a
// result row: no crash, every value valid UTF-8, and no value for an
// attribute whose VR holds bytes rather than strings or numbers.
//
// Input: one byte choosing the transfer syntax (even: implicit VR, odd:
// explicit VR little endian), then the data set's bytes.
#include <QString>
#include <cstdlib>

#include "dcmtk/dcmdata/dcelem.h"
#include "dcmtk/dcmdata/dcistrmb.h"
#include "dcmtk/oflog/oflog.h"
#include "dicom/dcmtk/DcmtkDataset.h"

namespace {

bool ValidUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString() == text;
}

// VRs whose values are kept: strings, numbers, and none (taken as text).
bool KeepsValue(DcmEVR vr) {
    switch (vr) {
        case EVR_OB:
        case EVR_OW:
        case EVR_OF:
        case EVR_OD:
        case EVR_OL:
        case EVR_OV:
        case EVR_ox:
        case EVR_px:
        case EVR_lt:
        case EVR_pixelSQ:
        case EVR_SQ:
            return false;
        default:
            return true;
    }
}

}  // namespace

// DCMTK's warnings about each broken input would slow the run tenfold.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    OFLog::configure(OFLogger::OFF_LOG_LEVEL);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const E_TransferSyntax syntax = (data[0] & 1) ? EXS_LittleEndianExplicit : EXS_LittleEndianImplicit;
    DcmInputBufferStream stream;
    stream.setBuffer(data + 1, static_cast<offile_off_t>(size - 1));
    stream.setEos();
    DcmDataset dataset;
    dataset.transferInit();
    const bool read = dataset.read(stream, syntax).good();
    dataset.transferEnd();
    // A data set that does not parse never reaches the decoding: the
    // association reports it as a protocol failure.
    if (!read) return 0;

    const pelko::dicom::Dataset row = pelko::dicom::dcmtk::FromDcmDataset(dataset);
    for (const auto& a : row.Attributes().items()) {
        if (!ValidUtf8(a.value)) std::abort();
        DcmElement* element = nullptr;
        if (dataset.findAndGetElement(DcmTagKey(a.tag.group, a.tag.element), element).good() &&
            element != nullptr && !KeepsValue(element->ident())) {
            std::abort();
        }
    }
    // The shown values of the row.
    (void)row.StudyInstanceUID();
    (void)row.PatientName();
    (void)row.PatientID();
    return 0;
}
