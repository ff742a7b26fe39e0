// The search subsystem's widgets on the main window: the panel of search
// fields with "Search", and the row of date presets. The panel owns the
// search logic and hands it its criteria as a value; the presets only say
// which one was pressed.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "query/StudySearch.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace pelko {
class ActionGate;
class Clock;
class ErrorReporter;
class Shell;
namespace config {
class Settings;
}
namespace dicom {
class Toolkit;
}
}  // namespace pelko

namespace pelko::ui {

class OptionalDateEdit;

// What the search reaches besides its own fields.
struct SearchServices {
    query::ResultGridView& grid;
    Shell& shell;
    config::Settings& settings;
    dicom::Toolkit& toolkit;
    ErrorReporter& errors;
    const Clock& clock;
    ActionGate& gate;
};

// The fields (last and first name, patient ID, study date, sex, birth date,
// study description, accession number) and "Search", at their twips places
// inside the panel. Enter in any field presses "Search". It starts with
// empty fields, both date pickers showing today without a tick, and the sex
// list "O", "M", "F" with none chosen.
class SearchPanel : public QWidget, private query::SearchPanelView {
    Q_OBJECT
public:
    SearchPanel(const SearchServices& services, QWidget* parent);
    ~SearchPanel() override;

    // The controls in their focus order.
    std::vector<QWidget*> focusOrder() const;

public slots:
    void search();
    void searchToday();
    void searchYesterday();
    void searchWeek();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // SearchPanelView
    query::SearchCriteria criteria() const override;
    void setText(query::SearchField field, const std::string& text) override;
    void setStudyDate(std::optional<std::chrono::year_month_day> date) override;
    void focusSearchButton() override;

    QLineEdit* lastName_;
    QLineEdit* patientId_;
    QLineEdit* firstName_;
    OptionalDateEdit* studyDate_;
    QComboBox* sex_;
    OptionalDateEdit* birthDate_;
    QLineEdit* studyDescription_;
    QLineEdit* accessionNumber_;
    QPushButton* searchButton_;
    std::unique_ptr<query::StudySearch> logic_;
};

// "Today", "Yesterday" and "Week" in a row.
class SearchPresets : public QWidget {
    Q_OBJECT
public:
    explicit SearchPresets(QWidget* parent);
    std::vector<QWidget*> focusOrder() const;

signals:
    void todayPressed();
    void yesterdayPressed();
    void weekPressed();

private:
    std::vector<QWidget*> buttons_;
};

}  // namespace pelko::ui
