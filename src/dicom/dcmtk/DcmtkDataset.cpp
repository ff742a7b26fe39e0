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

// Decoder of text values by the Specific Character Set of one data set.
class TextDecoder {
public:
    explicit TextDecoder(std::string term) : term_(std::move(term)) {}

    std::string Decode(const std::string& bytes, DcmEVR vr) {
        if (auto text = DecodeText(bytes, term_)) return *text;
        if (!converterTried_) {
            converterTried_ = true;
            converterReady_ = converter_.selectCharacterSet(term_.c_str()).good();
        }
        if (converterReady_) {
            OFString out;
            const OFString delimiters = vr == EVR_PN ? "\\^=" : "\\";
            if (converter_.convertString(bytes.data(), bytes.size(), out, delimiters).good()) {
                return std::string(out.c_str(), out.length());
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

std::string TrimPadding(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
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
                throw DicomError(kErrInvalidArgument, operation + ": " + TagText(a.tag) +
                                                          " is a sequence and cannot hold a text value");
            }
            result->insertEmptyElement(tag);
            continue;
        }
        DcmElement* element = nullptr;
        if (DcmItem::newDicomElementWithVR(element, tag).bad() || element == nullptr) {
            throw DicomError(kErrInvalidArgument, operation + ": cannot create " + TagText(a.tag));
        }
        const std::string bytes = EncodeText(a.value, charset);
        OFCondition cond = element->putString(bytes.c_str(), static_cast<Uint32>(bytes.size()));
        if (cond.good()) cond = result->insert(element, OFTrue /* replace */);
        if (cond.bad()) {
            delete element;
            throw DicomError(kErrInvalidArgument,
                             operation + ": invalid value for " + TagText(a.tag) + " (" + cond.text() + ")");
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
        const DcmVR vr(element->ident());
        std::string value;
        if (element->ident() == EVR_UN) {
            // Received in implicit VR without a dictionary entry (private
            // attributes): the value bytes are the text.
            Uint8* bytes = nullptr;
            if (element->getLength() > 0 && element->getUint8Array(bytes).good() && bytes != nullptr) {
                value = TrimPadding(std::string(reinterpret_cast<const char*>(bytes), element->getLength()));
            }
            value = decoder.Decode(value, EVR_LO);
        } else if (vr.isaString()) {
            OFString raw;
            element->getOFStringArray(raw, OFTrue /* remove padding */);
            value.assign(raw.c_str(), raw.length());
            if (vr.isAffectedBySpecificCharacterSet()) value = decoder.Decode(value, element->ident());
        } else if (element->isLeaf() && element->ident() != EVR_OB && element->ident() != EVR_OW &&
                   element->ident() != EVR_OF && element->ident() != EVR_OD && element->ident() != EVR_OL &&
                   element->ident() != EVR_OV) {
            // Binary numbers (US, UL, SS, SL, FL, FD, AT) as decimal text.
            OFString raw;
            if (element->getOFStringArray(raw).bad()) continue;
            value.assign(raw.c_str(), raw.length());
        } else {
            continue;
        }
        result.Attributes().Add(tag, std::move(value));
    }
    return result;
}

}  // namespace pelko::dicom::dcmtk
