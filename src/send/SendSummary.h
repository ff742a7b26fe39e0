// The paragraphs of the send summary for a cancelled send. A destination
// finished before the cancel keeps its "Sending was successful" paragraph;
// the one the cancel stopped says what the archive counted; the ones never
// begun are named as not sent.
#pragma once

#include <optional>
#include <string>

#include "dicom/Toolkit.h"
#include "query/ResultGridView.h"
#include "send/SendProgress.h"

namespace pelko::send {

// The images of one destination's moves, summed.
struct ImageTally {
    int completed = 0;
    int failed = 0;
    int warning = 0;
    // Images of the stopped move that the archive did not send; unknown when
    // it never said how many there were.
    std::optional<int> notSent = 0;

    void add(const dicom::MoveCounts& counts);
};

// Images of a cancelled move left unsent: Remaining of its final counts, or
// else what the last known total leaves.
std::optional<int> NotSentAfterCancel(const dicom::MoveCounts& final, std::optional<int> lastTotal);

// "study 3 of 3" or "studies 2 to 5 of 5" (of series: "series 2 to 5 of 5").
// The texts below count in `unit` the same way.
std::string StudyRange(int first, int studies, SendUnit unit = kStudyUnit);

// The archive confirmed the cancel (or it came between two moves):
// "Cancelled: 4 images sent, 0 failed, 36 not sent to DEST." and, when
// studies from `firstNotStarted` on were never begun, "Not sent: studies
// 3 to 5 of 5.".
std::string CancelledParagraph(const std::string& destination, const ImageTally& images, int firstNotStarted,
                               int studies, SendUnit unit = kStudyUnit);
// The archive did not confirm the cancel within the grace period.
std::string UnconfirmedParagraph(const std::string& destination, const ImageTally& images,
                                 int firstNotStarted, int studies, SendUnit unit = kStudyUnit);
// A destination the send never reached: "Not sent to DEST: studies 1 to 3 of 3.".
std::string NotSentParagraph(const std::string& destination, int studies, SendUnit unit = kStudyUnit);

// A move that ended in success while its final response counted no image
// at all: the archive holds no images of the study (or not the study), and
// the study does not count as sent. A final response that leaves a count out
// says nothing of the kind.
bool NothingSent(const dicom::MoveResult& result);
// The Error.log description of such a move.
std::string NothingSentLogText(const std::string& destination, const query::SelectedStudy& study);
// The same for a series of the study `studyUid`.
std::string NothingSentSeriesLogText(const std::string& destination, const std::string& studyUid,
                                     const std::string& seriesUid);
// The sentence after "Sending was successful (k / n) to DEST." for `count`
// such moves; "" for none.
std::string NothingSentSentence(int count, SendUnit unit = kStudyUnit);

// The Error.log description of a cancel.
std::string CancelLogText(const std::string& destination, int study, int studies, const ImageTally& images,
                          bool confirmed, SendUnit unit = kStudyUnit);

}  // namespace pelko::send
