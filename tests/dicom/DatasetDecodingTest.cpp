// A C-FIND response's data set, as read from the wire, decoded into the
// texts of a result: strings and numbers are kept, bytes are left out.
#include <gtest/gtest.h>

#include <optional>

#include "dcmtk/dcmdata/dcistrmb.h"
#include "dicom/dcmtk/DcmtkDataset.h"

namespace pelko::dicom::dcmtk {
namespace {

// One element in implicit VR little endian: tag, 32-bit length, value.
std::string Implicit(std::uint16_t group, std::uint16_t element, const std::string& value) {
    std::string bytes;
    for (const std::uint32_t n : {std::uint32_t{group}, std::uint32_t{element}}) {
        bytes += static_cast<char>(n & 0xFF);
        bytes += static_cast<char>(n >> 8);
    }
    const auto length = static_cast<std::uint32_t>(value.size());
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xFF);
    return bytes + value;
}

Dataset Decoded(const std::string& bytes, E_TransferSyntax syntax) {
    DcmInputBufferStream stream;
    stream.setBuffer(bytes.data(), static_cast<offile_off_t>(bytes.size()));
    stream.setEos();
    DcmDataset dataset;
    dataset.transferInit();
    EXPECT_TRUE(dataset.read(stream, syntax).good());
    dataset.transferEnd();
    return FromDcmDataset(dataset);
}

TEST(ResponseDecoding, KeepsStringsNumbersAndTextWithoutVrAndLeavesBytesOut) {
    struct Row {
        const char* what;
        Tag tag;
        std::string valueBytes;
        std::optional<std::string> decoded;  // nullopt: left out
        std::string charset = "";            // (0008,0005) before it
    };
    const Row rows[] = {
        {"a string", {0x0010, 0x0010}, "Doe^John", "Doe^John"},
        {"a binary number", {0x0028, 0x0010}, std::string("\x00\x02", 2), "512"},
        {"a private attribute without a VR", {0x0009, 0x1001}, "Moved ", "Moved"},
        {"pixel data", {0x7FE0, 0x0010}, "\x01\x02\x03\x04", std::nullopt},
        {"overlay data", {0x6000, 0x3000}, "\x01\x02\x03\x04", std::nullopt},
        {"OB or OW", {0x5400, 0x100A}, "\x01\x02", std::nullopt},
        {"a stray byte in a date",
         {0x0010, 0x0030},
         "1970\xC9"
         "101",
         "1970\xEF\xBF\xBD"
         "101"},
        {"broken UTF-8", {0x0010, 0x0010}, "Ab\xCE\xA9\xCE ", "Ab\xCE\xA9\xEF\xBF\xBD", "ISO_IR 192"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string charset = row.charset.empty() ? "" : Implicit(0x0008, 0x0005, row.charset);
        const Dataset result = Decoded(charset + Implicit(row.tag.group, row.tag.element, row.valueBytes),
                                       EXS_LittleEndianImplicit);
        const auto& items = result.Attributes().items();
        if (row.decoded) {
            ASSERT_EQ(items.size(), 1u);
            EXPECT_EQ(items[0].value, *row.decoded);
        } else {
            EXPECT_TRUE(items.empty()) << items[0].value;
        }
    }
}

}  // namespace
}  // namespace pelko::dicom::dcmtk
