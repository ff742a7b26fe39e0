// The Series window's logic: one study's series from the archive, the
// ticked ones sent to the marked nodes. The window shows what this class
// decides; the send itself is the Sender's.
#pragma once

#include <string>
#include <vector>

#include "query/SeriesList.h"

namespace pelko {
class ActionGate;
class ErrorReporter;
namespace config {
class Settings;
}
namespace dicom {
class Toolkit;
}
}  // namespace pelko

namespace pelko::send {

class NodeSlots;
class Sender;

inline constexpr const char* kSeriesLabel = "Series";
// The window's note in forward mode, where "Send series" stays off.
inline constexpr const char* kSeriesForwardNote =
    "Forward mode sends whole studies only; sending single series needs move mode.";

// The study whose series are shown, as the result grid has it.
struct SeriesStudy {
    std::string studyInstanceUid;
    std::string patientName;
    std::string studyDate;
    std::string description;
};

// "Series - PATIENT - DATE DESCRIPTION", parts that are empty left out.
std::string SeriesWindowTitle(const SeriesStudy& study);

class SeriesView {
public:
    virtual ~SeriesView() = default;
    // The series in Series Number order, none ticked, the first current.
    virtual void showSeries(const std::vector<query::SeriesRow>& rows) = 0;
    // A sentence below the list; "" shows none.
    virtual void setNote(const std::string& note) = 0;
    virtual void allowSendSeries(bool allowed) = 0;
    // The Series Instance UIDs of the ticked series, in the list's order.
    virtual std::vector<std::string> tickedSeries() const = 0;
};

class SeriesSend {
public:
    SeriesSend(SeriesView& view, config::Settings& settings, ErrorReporter& errors, dicom::Toolkit& toolkit,
               ActionGate& gate, const NodeSlots& nodes, Sender& sender);

    // Asks the archive for the study's series (one C-FIND, settings read
    // again first) and shows them. False, with nothing shown, when another
    // action runs, the settings file is missing or the query fails (the
    // failure reported under "Series").
    bool Open(const SeriesStudy& study);
    // A tick changed or a node mark did: "Send series" follows.
    void Update();
    // "Send series": the ticked series to every marked node.
    void Send();

private:
    bool nodeMarked() const;

    SeriesView& view_;
    config::Settings& settings_;
    ErrorReporter& errors_;
    dicom::Toolkit& toolkit_;
    ActionGate& gate_;
    const NodeSlots& nodes_;
    Sender& sender_;
    std::string studyUid_;
    bool forward_ = false;  // the settings at the opening chose forward mode
};

}  // namespace pelko::send
