#include "send/SendSummary.h"

#include <algorithm>

namespace pelko::send {
namespace {

std::string Sent(const ImageTally& images) {
    std::string text =
        std::to_string(images.completed) + " images sent, " + std::to_string(images.failed) + " failed";
    if (images.warning > 0) text += ", " + std::to_string(images.warning) + " with warnings";
    return text;
}

std::string NotStarted(int firstNotStarted, int studies, SendUnit unit) {
    if (firstNotStarted > studies) return {};
    return "\nNot sent: " + StudyRange(firstNotStarted, studies, unit) + ".";
}

}  // namespace

void ImageTally::add(const dicom::MoveCounts& counts) {
    completed += counts.completed;
    failed += counts.failed;
    warning += counts.warning;
}

std::optional<int> NotSentAfterCancel(const dicom::MoveCounts& final, std::optional<int> lastTotal) {
    if (final.remaining) return *final.remaining;
    if (!lastTotal) return std::nullopt;
    return std::max(0, *lastTotal - final.completed - final.failed - final.warning);
}

std::string StudyRange(int first, int studies, SendUnit unit) {
    const std::string of = " of " + std::to_string(studies);
    if (first == studies) return unit.one + (" " + std::to_string(first)) + of;
    return unit.many + (" " + std::to_string(first)) + " to " + std::to_string(studies) + of;
}

std::string CancelledParagraph(const std::string& destination, const ImageTally& images, int firstNotStarted,
                               int studies, SendUnit unit) {
    const std::string notSent = images.notSent ? std::to_string(*images.notSent) : "an unknown number";
    return "Cancelled: " + Sent(images) + ", " + notSent + " not sent to " + destination + "." +
           NotStarted(firstNotStarted, studies, unit) + "\n\n";
}

std::string UnconfirmedParagraph(const std::string& destination, const ImageTally& images,
                                 int firstNotStarted, int studies, SendUnit unit) {
    return "The archive did not confirm the cancel and may still be sending to " + destination + " (" +
           Sent(images) + " so far)." + NotStarted(firstNotStarted, studies, unit) + "\n\n";
}

std::string NotSentParagraph(const std::string& destination, int studies, SendUnit unit) {
    if (studies == 0) return "Not sent to " + destination + ".\n\n";
    return "Not sent to " + destination + ": " + StudyRange(1, studies, unit) + ".\n\n";
}

bool NothingSent(const dicom::MoveResult& result) {
    const auto& c = result.finalCounts;
    return result.cancel == dicom::MoveResult::Cancel::None && c &&
           c->completed + c->failed + c->warning == 0;
}

std::string NothingSentLogText(const std::string& destination, const query::SelectedStudy& study) {
    return "The archive sent no images of the study of " + study.patientName + " of " + study.studyDate +
           " to " + destination +
           ": it reported 0 sent, 0 failed, 0 with warnings, probably because it does not hold the study "
           "(Study Instance UID " +
           study.uid + ")";
}

std::string NothingSentSeriesLogText(const std::string& destination, const std::string& studyUid,
                                     const std::string& seriesUid) {
    return "The archive sent no images of series " + seriesUid + " of study " + studyUid + " to " +
           destination +
           ": it reported 0 sent, 0 failed, 0 with warnings, probably because it does not hold "
           "the series";
}

std::string NothingSentSentence(int count, SendUnit unit) {
    if (count == 0) return {};
    const bool one = count == 1;
    return "\nThe archive sent no images of " + std::to_string(count) + " " + (one ? unit.one : unit.many) +
           ", probably because it does not hold " + (one ? "it" : "them") + "; Error.log names " +
           (one ? "it." : "them.");
}

std::string CancelLogText(const std::string& destination, int study, int studies, const ImageTally& images,
                          bool confirmed, SendUnit unit) {
    std::string text = "Send to " + destination + " cancelled at " + unit.one + " " + std::to_string(study) +
                       " of " + std::to_string(studies);
    if (!confirmed) {
        text += "; the archive did not confirm the cancel within " +
                std::to_string(dicom::kMoveCancelGraceSeconds) + " s and may still be sending";
    }
    text += ": " + Sent(images);
    if (confirmed) text += ", " + (images.notSent ? std::to_string(*images.notSent) : "?") + " not sent";
    return text;
}

}  // namespace pelko::send
