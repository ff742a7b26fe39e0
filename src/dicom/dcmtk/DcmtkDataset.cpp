#include "dicom/dcmtk/DcmtkDataset.h"

#include <string_view>
#include <vector>

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcelem.h"
#include "dcmtk/dcmdata/dcspchrs.h"
#include "dcmtk/dcmdata/dctag.h"
#include "dcmtk/dcmdata/dcvr.h"
#include "dicom/dcmtk/DcmtkErrors.h"
#include "dicom/dcmtk/TextEncoding.h"
#include "log/Latin1.h"

namespace pelko::dicom::dcmtk {
namespace {

constexpr Tag kSpecificCharacterSet{0x0008, 0x0005};

DcmTag TagWithVR(const Tag& t) {
    DcmTag tag(t.group, t.element);
    const DcmEVR vr = tag.getEVR();
    if ((t.group & 1u) != 0 || vr == EVR_UNKNOWN || vr == EVR_UNKNOWN2B || vr == EVR_UN) {
        // Private attributes travel without a private creator here; the
        // archive reads them as LO.
        tag.setVR(DcmVR(EVR_LO));
    }
    return tag;
}

std::string TagText(const Tag& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "(%04X,%04X)", t.group, t.element);
    return buf;
}

// The length of the well-formed UTF-8 sequence at the start of `s`, 0 when
// there is none (a stray, overlong or surrogate sequence, or one past U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    const unsigned lead = byte(0);
    if (lead < 0x80) return 1;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

// `text` with every byte that is not part of well-formed UTF-8 replaced by
// U+FFFD: an archive's broken UTF-8 stays readable and never leaves here.
std::string WellFormedUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8SequenceLength(std::string_view(text).substr(i));
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

// Decoder of text values by the Specific Character Set of one data set.
class TextDecoder {
public:
    explicit TextDecoder(std::string term) : term_(std::move(term)) {}

    std::string Decode(const std::string& bytes, DcmEVR vr) {
        if (auto text = DecodeText(bytes, term_)) return WellFormedUtf8(*text);
        if (!converterTried_) {
            converterTried_ = true;
            converterReady_ = converter_.selectCharacterSet(term_.c_str()).good();
        }
        if (converterReady_) {
            OFString out;
            const OFString delimiters = vr == EVR_PN ? "\\^=" : "\\";
            if (converter_.convertString(bytes.data(), bytes.size(), out, delimiters).good()) {
                return WellFormedUtf8(std::string(out.c_str(), out.length()));
            }
        }
        // A character set that cannot be converted: Latin-1 keeps every byte.
        return Latin1ToUtf8(bytes);
    }

private:
    std::string term_;
    DcmSpecificCharacterSet converter_;
    bool converterTried_ = false;
    bool converterReady_ = false;
};

// Binary numbers and attribute tags, which read as decimal (or tag) text.
bool IsBinaryNumber(DcmEVR vr) {
    switch (vr) {
        case EVR_US:
        case EVR_UL:
        case EVR_SS:
        case EVR_SL:
        case EVR_FL:
        case EVR_FD:
        case EVR_AT:
        case EVR_SV:
        case EVR_UV:
        case EVR_xs:  // US or SS
        case EVR_up:  // UL, an offset
            return true;
        default:
            return false;
    }
}

std::string TrimPadding(std::string s) {
    const std::size_t end = s.find_last_not_of(std::string_view(" \0", 2));
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

}  // namespace

std::unique_ptr<DcmDataset> ToDcmDataset(const Dataset& dataset, const std::string& operation) {
    std::vector<std::string_view> values;
    for (const auto& a : dataset.Attributes().items()) {
        if (a.tag != kSpecificCharacterSet) values.push_back(a.value);
    }
    const WireCharset charset = ChooseCharset(values);

    auto result = std::make_unique<DcmDataset>();
    if (charset != WireCharset::kAscii) {
        result->putAndInsertString(DCM_SpecificCharacterSet, CharsetTerm(charset).c_str());
    }
    for (const auto& a : dataset.Attributes().items()) {
        if (a.tag == kSpecificCharacterSet) continue;
        const DcmTag tag = TagWithVR(a.tag);
        if (tag.getEVR() == EVR_SQ) {
            if (!a.value.empty()) {
                throw DicomError(
                    kErrInvalidArgument,
                    operation + ": " + TagText(a.tag) + " is a sequence and cannot hold a text value",
                    Cause::InvalidRequest);
            }
            result->insertEmptyElement(tag);
            continue;
        }
        DcmElement* element = nullptr;
        if (DcmItem::newDicomElementWithVR(element, tag).bad() || element == nullptr) {
            throw DicomError(kErrInvalidArgument, operation + ": cannot create " + TagText(a.tag),
                             Cause::InvalidRequest);
        }
        const std::string bytes = EncodeText(a.value, charset);
        OFCondition cond = element->putString(bytes.c_str(), static_cast<Uint32>(bytes.size()));
        if (cond.good()) cond = result->insert(element, OFTrue /* replace */);
        if (cond.bad()) {
            delete element;
            throw DicomError(kErrInvalidArgument,
                             operation + ": invalid value for " + TagText(a.tag) + " (" + cond.text() + ")",
                             Cause::InvalidRequest);
        }
    }
    return result;
}

Dataset FromDcmDataset(DcmDataset& dataset) {
    OFString term;
    dataset.findAndGetOFStringArray(DCM_SpecificCharacterSet, term);
    TextDecoder decoder(term.c_str());

    Dataset result;
    const unsigned long count = dataset.card();
    for (unsigned long i = 0; i < count; ++i) {
        DcmElement* element = dataset.getElement(i);
        if (element == nullptr) continue;
        const DcmTagKey key = element->getTag().getXTag();
        const Tag tag{key.getGroup(), key.getElement()};
        if (tag == kSpecificCharacterSet) continue;
        const DcmEVR evr = element->ident();
        const DcmVR vr(evr);
        std::string value;
        if (evr == EVR_UN || evr == EVR_UNKNOWN || evr == EVR_UNKNOWN2B) {
            // Received without a VR of its own (private attributes in
            // implicit VR, which DCMTK reads as UNKNOWN; UN in explicit VR):
            // the value bytes are the text.
            Uint8* bytes = nullptr;
            if (element->getLength() > 0 && element->getUint8Array(bytes).good() && bytes != nullptr) {
                value = TrimPadding(std::string(reinterpret_cast<const char*>(bytes), element->getLength()));
            }
            value = decoder.Decode(value, EVR_LO);
        } else if (vr.isaString()) {
            OFString raw;
            element->getOFStringArray(raw, OFTrue /* remove padding */);
            value.assign(raw.c_str(), raw.length());
            // The other string VRs are ASCII; a stray byte there becomes U+FFFD.
            value =
                vr.isAffectedBySpecificCharacterSet() ? decoder.Decode(value, evr) : WellFormedUtf8(value);
        } else if (IsBinaryNumber(evr)) {
            // As decimal text ("\" between several values).
            OFString raw;
            if (element->getOFStringArray(raw).bad()) continue;
            value.assign(raw.c_str(), raw.length());
        } else {
            // Bytes (OB, OW, ..., DCMTK's own codes for pixel, overlay and
            // "OB or OW" data read in implicit VR) and sequences.
            continue;
        }
        result.Attributes().Add(tag, std::move(value));
    }
    return result;
}

}  // namespace pelko::dicom::dcmtk
