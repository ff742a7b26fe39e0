// "Series": one study's series, each with a tick box, and "Send series"
// for the ticked ones. A window of its own over the main window, not
// modal, so that the node buttons can still be marked. The arrow keys move,
// Space ticks the current series, Alt+S presses "Send series", Escape
// closes.
#pragma once

#include <QDialog>
#include <memory>

#include "send/SeriesSend.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace pelko::ui {

class SeriesWindow : public QDialog, private send::SeriesView {
    Q_OBJECT
public:
    SeriesWindow(QWidget* parent, config::Settings& settings, ErrorReporter& errors, dicom::Toolkit& toolkit,
                 ActionGate& gate, const send::NodeSlots& nodes, send::Sender& sender);
    ~SeriesWindow() override;

    // Lists the study's series; false when the archive was not asked or
    // did not answer (the window is then not to be shown).
    bool open(const send::SeriesStudy& study);
    // The node marks have changed.
    void nodesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Escape
    void closeEvent(QCloseEvent* event) override;

private:
    // SeriesView
    void showSeries(const std::vector<query::SeriesRow>& rows) override;
    void setNote(const std::string& note) override;
    void allowSendSeries(bool allowed) override;
    std::vector<std::string> tickedSeries() const override;

    void send();

    QTreeWidget* list_;
    QLabel* note_;
    QPushButton* send_;
    std::unique_ptr<send::SeriesSend> logic_;
    bool sending_ = false;
    bool closeAfterSend_ = false;
};

}  // namespace pelko::ui
