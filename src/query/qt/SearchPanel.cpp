#include "query/qt/SearchPanel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/Text.h"
#include "base/Twips.h"
#include "base/qt/QtSupport.h"
#include "log/Clock.h"
#include "query/qt/OptionalDateEdit.h"

namespace pelko::ui {
namespace {

template <typename W>
W* Place(W* widget, const char* name, const QRect& rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
    return widget;
}

void AddLabel(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->adjustSize();
    label->setGeometry(Px(left), Px(top), label->width(), Px(210));
}

// Lets only "M", "F" and "O" (either case) into the sex field, each
// replacing the text, and Backspace; navigation and Enter keep working.
// Enter starts `onEnter`.
class SexKeyFilter : public QObject {
public:
    SexKeyFilter(QComboBox* field, std::function<void()> onEnter)
        : QObject(field), field_(field), onEnter_(std::move(onEnter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        int code = 0;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (field_->view()->isVisible()) return false;  // picks from the open list
                if (onEnter_) onEnter_();
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
            case Qt::Key_Delete:
                return false;
            case Qt::Key_Backspace:
                code = kBackspace;
                break;
            default:
                // Keys without a character (arrows, F4, ...) only move or
                // open the list.
                if (key->text().isEmpty()) return false;
                code = key->text().at(0).unicode();
                break;
        }
        const query::SexKeyResult result = query::FilterSexKey(code);
        if (result.text) field_->setEditText(Q(*result.text));
        if (QLineEdit* edit = field_->lineEdit()) edit->setCursorPosition(1);
        return result.key == 0;
    }

private:
    QComboBox* field_;
    std::function<void()> onEnter_;
};

}  // namespace

// --- the panel

SearchPanel::SearchPanel(const SearchServices& services, QWidget* parent) : QWidget(parent) {
    setFont(Tahoma(8.25));
    lastName_ = Place(new QLineEdit(this), "txtName2", Twips(180, 360, 2940, 330));
    patientId_ = Place(new QLineEdit(this), "txtPatID", Twips(3375, 360, 4560, 330));
    firstName_ = Place(new QLineEdit(this), "txtName1", Twips(180, 1080, 2940, 330));
    studyDate_ = Place(new OptionalDateEdit(this), "dtpStudyDate", Twips(3375, 1080, 1635, 330));
    sex_ = Place(new QComboBox(this), "cboSex", Twips(5310, 1080, 645, 330));
    sex_->setEditable(true);
    birthDate_ = Place(new OptionalDateEdit(this), "dtpBirth", Twips(6300, 1080, 1635, 330));
    studyDescription_ = Place(new QLineEdit(this), "txtStudyDesc", Twips(180, 1800, 3840, 330));
    accessionNumber_ = Place(new QLineEdit(this), "txtAccNum", Twips(4140, 1800, 2490, 315));
    searchButton_ =
        Place(new QPushButton(QStringLiteral("Search"), this), "cmdSearch", Twips(6750, 1755, 1230, 375));
    searchButton_->setDefault(true);
    searchButton_->setAutoDefault(false);

    AddLabel(this, "Last Name:", 180, 90);
    AddLabel(this, "Patient - ID:", 3375, 90);
    AddLabel(this, "First Name:", 180, 810);
    AddLabel(this, "Studydate:", 3375, 810);
    AddLabel(this, "Sex:", 5310, 810);
    AddLabel(this, "Date of birth:", 6300, 810);
    AddLabel(this, "Study Description:", 180, 1530);
    AddLabel(this, "Accession Number", 4140, 1530);

    // The sex field takes only its letters; Enter in it starts the search
    // like in the other fields.
    sex_->setInsertPolicy(QComboBox::NoInsert);
    sex_->installEventFilter(new SexKeyFilter(sex_, [this] { searchButton_->click(); }));
    sex_->addItems({QStringLiteral("O"), QStringLiteral("M"), QStringLiteral("F")});
    sex_->setCurrentIndex(-1);
    const QDate today = ToQDate(services.clock.now().date);
    studyDate_->setShownDate(today);
    birthDate_->setShownDate(today);

    logic_ = std::make_unique<query::StudySearch>(static_cast<query::SearchPanelView&>(*this), services.grid,
                                                  services.shell, services.settings, services.toolkit,
                                                  services.errors, services.clock, services.gate);
    connect(searchButton_, &QPushButton::clicked, this, &SearchPanel::search);
}

SearchPanel::~SearchPanel() = default;

void SearchPanel::search() {
    logic_->Search();
}
void SearchPanel::searchToday() {
    logic_->Today();
}
void SearchPanel::searchYesterday() {
    logic_->Yesterday();
}
void SearchPanel::searchWeek() {
    logic_->Week();
}

// Enter in any field of the panel presses the default button: the text
// fields and the date pickers leave Enter to their parent, and a default
// button reacts to it only inside a dialog.
void SearchPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        searchButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::vector<QWidget*> SearchPanel::focusOrder() const {
    return {lastName_,         patientId_,       firstName_,    studyDate_, birthDate_,
            studyDescription_, accessionNumber_, searchButton_, sex_};
}

query::SearchCriteria SearchPanel::criteria() const {
    query::SearchCriteria c;
    c.lastName = lastName_->text().toStdString();
    c.firstName = firstName_->text().toStdString();
    c.patientId = patientId_->text().toStdString();
    c.sex = sex_->currentText().toStdString();
    c.birthDate = FromQDate(birthDate_->value());
    if (const auto day = FromQDate(studyDate_->value())) c.studyDates = query::StudyDates{*day, std::nullopt};
    c.studyDescription = studyDescription_->text().toStdString();
    c.accessionNumber = accessionNumber_->text().toStdString();
    return c;
}

void SearchPanel::setText(query::SearchField field, const std::string& text) {
    const QString value = Q(text);
    switch (field) {
        case query::SearchField::FirstName:
            firstName_->setText(value);
            break;
        case query::SearchField::LastName:
            lastName_->setText(value);
            break;
        case query::SearchField::PatientId:
            patientId_->setText(value);
            break;
        case query::SearchField::AccessionNumber:
            accessionNumber_->setText(value);
            break;
    }
}

void SearchPanel::setStudyDate(std::optional<std::chrono::year_month_day> date) {
    studyDate_->setValue(date ? std::optional<QDate>(ToQDate(*date)) : std::nullopt);
}

void SearchPanel::focusSearchButton() {
    searchButton_->setFocus();
}

// --- the presets

SearchPresets::SearchPresets(QWidget* parent) : QWidget(parent) {
    auto add = [this](const char* text, const char* name, int left, int width) {
        auto* button =
            Place(new QPushButton(QString::fromLatin1(text), this), name, Twips(left, 0, width, 510));
        button->setFont(Tahoma(9.75, true));
        buttons_.push_back(button);
        return button;
    };
    connect(add("Today", "cmdToday", 0, 2670), &QPushButton::clicked, this, &SearchPresets::todayPressed);
    connect(add("Yesterday", "cmdYesterday", 2880, 2625), &QPushButton::clicked, this,
            &SearchPresets::yesterdayPressed);
    connect(add("Week", "cmdWeek", 5715, 2670), &QPushButton::clicked, this, &SearchPresets::weekPressed);
}

std::vector<QWidget*> SearchPresets::focusOrder() const {
    return buttons_;
}

}  // namespace pelko::ui
