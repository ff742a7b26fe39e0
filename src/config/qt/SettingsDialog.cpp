#include "config/qt/SettingsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "config/qt/DialogSupport.h"
#include "config/qt/NodeEntryDialog.h"

namespace pelko::ui {
namespace {

using config::SettingsCheck;
using config::SettingsField;

QPushButton* AddButton(QWidget* parent, const char* text, int left, int top, int width, int height) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFont(Tahoma(8.25, true));
    button->setGeometry(left, top, width, height);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* AddField(QWidget* parent, int left, int top, int width, int height) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(left, top, width, height);
    RefuseLineBreaks(field);
    return field;
}

// The designed font, made smaller where a substitute for Tahoma is too wide
// for the caption to fit inside the frame.
void FitCheckBox(QCheckBox* box, QFont font) {
    const int room = box->parentWidget()->width() - box->x() - 2;
    box->setFont(font);
    while (box->sizeHint().width() > room && font.pointSizeF() > 7.0) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        box->setFont(font);
    }
}

// A frame with a caption and, inside it, the borderless panel of its fields.
QWidget* AddFrame(QWidget* parent, QGroupBox*& frame, const char* caption, const QRect& frameRect,
                  const QRect& panelRect) {
    frame = new QGroupBox(QString::fromUtf8(caption), parent);
    frame->setGeometry(frameRect);
    auto* panel = new QWidget(frame);
    panel->setGeometry(panelRect);
    return panel;
}

}  // namespace

SettingsDialog::SettingsDialog(QWidget* owner, config::Settings& settings, std::function<void()> nodesChanged)
    : EscapeProofDialog(owner), logic_(*this, *this, settings, std::move(nodesChanged)) {
    setWindowTitle(QStringLiteral("Settings"));
    setFont(Tahoma(8.25));
    MakeFixedDialog(this, 439, 443);
    buildControls();
    // The names the tests and the designed form know them by.
    const std::pair<QObject*, const char*> names[] = {
        {nodeList_, "lvNodes"},         {addButton_, "cmdAdd"},
        {editButton_, "cmdEdit"},       {deleteButton_, "cmdDelete"},
        {archiveFrame_, "fraQuery"},    {localFrame_, "fraLocal"},
        {labels_[0], "lblSettings0"},   {labels_[1], "lblSettings1"},
        {labels_[2], "lblSettings2"},   {labels_[3], "lblSettings3"},
        {archiveAet_, "txtQuAET"},      {archiveIp_, "txtQuIP"},
        {archivePort_, "txtQuPort"},    {localAet_, "txtLocAET"},
        {useForward_, "chkUseForward"}, {useRegistered_, "chkRegistered"},
        {saveButton_, "cmdApply"},      {cancelButton_, "cmdCancel"},
    };
    for (auto [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
    bind();

    // Centred on the screen rather than over the owner.
    if (QScreen* screen = owner ? owner->screen() : this->screen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }

    mirroring_ = true;
    logic_.Opening();
    mirroring_ = false;
    archiveAet_->setFocus();
}

void SettingsDialog::buildControls() {
    nodeList_ = new QTreeWidget(this);
    nodeList_->setGeometry(9, 12, 418, 193);
    nodeList_->setColumnCount(2);
    nodeList_->setHeaderLabels({QStringLiteral("Alias"), QStringLiteral("AET")});
    nodeList_->header()->setStretchLastSection(false);
    nodeList_->setColumnWidth(0, 207);
    nodeList_->setColumnWidth(1, 207);
    nodeList_->setRootIsDecorated(false);
    nodeList_->setItemsExpandable(false);
    nodeList_->setUniformRowHeights(true);
    nodeList_->setSelectionMode(QAbstractItemView::SingleSelection);
    nodeList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    nodeList_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    addButton_ = AddButton(this, "Add New", 9, 216, 136, 25);
    editButton_ = AddButton(this, "Edit", 150, 216, 136, 25);
    deleteButton_ = AddButton(this, "Delete", 291, 216, 136, 25);

    QWidget* query = AddFrame(this, archiveFrame_, "Query", {9, 252, 226, 130}, {6, 15, 214, 106});
    labels_[0] = AddDialogLabel(query, "Remote AET:", 6, 6, 72, 13);
    archiveAet_ = AddField(query, 6, 21, 202, 19);
    labels_[1] = AddDialogLabel(query, "Remote IP:", 6, 54, 63, 13);
    archiveIp_ = AddField(query, 6, 72, 100, 19);
    labels_[2] = AddDialogLabel(query, "Remote Port:", 132, 54, 75, 13);
    archivePort_ = AddField(query, 132, 72, 76, 19);

    QWidget* local = AddFrame(this, localFrame_, "Local", {240, 252, 190, 133}, {6, 15, 163, 49});
    labels_[3] = AddDialogLabel(local, "AET:", 6, 6, 24, 13);
    localAet_ = AddField(local, 6, 21, 151, 19);
    useForward_ = new QCheckBox(QStringLiteral("Use forward"), localFrame_);
    useForward_->setGeometry(12, 66, 145, 22);
    useRegistered_ = new QCheckBox(QStringLiteral("Use 'Registered Date'"), localFrame_);
    useRegistered_->setGeometry(12, 93, 172, 25);
    for (auto* box : {useForward_, useRegistered_}) FitCheckBox(box, Tahoma(9.75, true));

    saveButton_ = AddButton(this, "Save", 261, 402, 82, 28);
    saveButton_->setDefault(true);
    cancelButton_ = AddButton(this, "Cancel", 348, 402, 82, 28);

    QWidget* const order[] = {archiveAet_, archiveIp_,    archivePort_,  localAet_,
                              saveButton_, cancelButton_, deleteButton_, editButton_,
                              addButton_,  nodeList_,     useForward_,   useRegistered_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void SettingsDialog::bind() {
    for (auto which : {SettingsField::QueryAET, SettingsField::QueryIP, SettingsField::QueryPort,
                       SettingsField::LocalAET}) {
        connect(field(which), &QLineEdit::textChanged, this, [this, which](const QString& text) {
            if (!mirroring_) logic_.TextChanged(which, text.toStdString());
        });
    }
    archiveIp_->installEventFilter(this);
    archivePort_->installEventFilter(this);

    connect(useForward_, &QCheckBox::clicked, this,
            [this](bool on) { logic_.CheckClicked(SettingsCheck::UseForward, on); });
    connect(useRegistered_, &QCheckBox::clicked, this,
            [this](bool on) { logic_.CheckClicked(SettingsCheck::Registered, on); });
    connect(nodeList_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (mirroring_) return;
        const auto items = nodeList_->selectedItems();
        logic_.RowSelected(items.isEmpty()
                               ? std::nullopt
                               : std::optional<int>(nodeList_->indexOfTopLevelItem(items.first())));
    });
    connect(addButton_, &QPushButton::clicked, this, [this] { logic_.AddNew(); });
    connect(editButton_, &QPushButton::clicked, this, [this] { logic_.Edit(); });
    connect(deleteButton_, &QPushButton::clicked, this, [this] { logic_.Delete(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { logic_.Save(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
}

QLineEdit* SettingsDialog::field(SettingsField which) const {
    switch (which) {
        case SettingsField::QueryAET:
            return archiveAet_;
        case SettingsField::QueryIP:
            return archiveIp_;
        case SettingsField::QueryPort:
            return archivePort_;
        case SettingsField::LocalAET:
            return localAet_;
    }
    return nullptr;
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == archiveIp_ || watched == archivePort_)) {
        const auto code = TypedCharacter(static_cast<QKeyEvent*>(event));
        if (code) {
            const auto which = watched == archiveIp_ ? SettingsField::QueryIP : SettingsField::QueryPort;
            if (!logic_.KeyTyped(which, *code)) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- SettingsDialogView

void SettingsDialog::appendRow(const config::NodeRow& row) {
    const bool was = std::exchange(mirroring_, true);
    new QTreeWidgetItem(nodeList_, {Q(row.alias), Q(row.aet)});
    mirroring_ = was;
}

void SettingsDialog::setRow(int index, const config::NodeRow& row) {
    if (QTreeWidgetItem* item = nodeList_->topLevelItem(index)) {
        item->setText(0, Q(row.alias));
        item->setText(1, Q(row.aet));
    }
}

void SettingsDialog::removeRow(int index) {
    const bool was = std::exchange(mirroring_, true);
    delete nodeList_->takeTopLevelItem(index);
    mirroring_ = was;
}

void SettingsDialog::clearSelection() {
    const bool was = std::exchange(mirroring_, true);
    nodeList_->clearSelection();
    nodeList_->setCurrentItem(nullptr);
    mirroring_ = was;
}

void SettingsDialog::setFieldText(SettingsField which, const std::string& text) {
    const bool was = std::exchange(mirroring_, true);
    field(which)->setText(Q(text));
    mirroring_ = was;
}

void SettingsDialog::setChecked(SettingsCheck check, bool on) {
    (check == SettingsCheck::UseForward ? useForward_ : useRegistered_)->setChecked(on);
}

void SettingsDialog::setSaveEnabled(bool on) {
    saveButton_->setEnabled(on);
}

void SettingsDialog::runNodeEntry(config::NodeEntryLogic::Mode mode, const config::NodeRow& initial) {
    NodeEntryDialog entry(this, mode, initial, logic_);
    entry.exec();
}

// --- MessageBoxes

void SettingsDialog::showError(const std::string& text) {
    ShowError(this, text);
}

void SettingsDialog::showErrorWithDetails(const std::string& text, const std::string& details) {
    ShowError(this, text, details);
}

void SettingsDialog::showInfo(const std::string& text) {
    ShowInfo(this, text);
}

}  // namespace pelko::ui
