#include "config/qt/SettingsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "base/Shell.h"
#include "config/qt/DialogSupport.h"
#include "config/qt/NodeEntryDialog.h"

namespace pelko::ui {
namespace {

using config::SettingsCheck;
using config::SettingsField;

const QString kTahoma = QStringLiteral("Tahoma");

QPushButton* AddButton(QWidget* parent, const char* text, int left, int top, int width, int height) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFont(DialogFont(kTahoma, 8.25, true));
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
    setFont(DialogFont(kTahoma, 8.25));
    MakeFixedDialog(this, 439, 443);
    buildControls();
    for (auto [widget, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {lvNodes, "lvNodes"}, {cmdAdd, "cmdAdd"}, {cmdEdit, "cmdEdit"}, {cmdDelete, "cmdDelete"}, {fraQuery, "fraQuery"}, {fraLocal, "fraLocal"}, {lblSettings[0], "lblSettings0"}, {lblSettings[1], "lblSettings1"}, {lblSettings[2], "lblSettings2"}, {lblSettings[3], "lblSettings3"}, {txtQuAET, "txtQuAET"}, {txtQuIP, "txtQuIP"}, {txtQuPort, "txtQuPort"}, {txtLocAET, "txtLocAET"}, {chkUseForward, "chkUseForward"}, {chkRegistered, "chkRegistered"}, {cmdApply, "cmdApply"}, {cmdCancel, "cmdCancel"}}) {
        widget->setObjectName(QString::fromLatin1(name));
    }
    bind();

    // Centred on the screen rather than over the owner.
    if (QScreen* screen = owner ? owner->screen() : this->screen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }

    mirroring_ = true;
    logic_.Opening();
    mirroring_ = false;
    txtQuAET->setFocus();
}

void SettingsDialog::buildControls() {
    lvNodes = new QTreeWidget(this);
    lvNodes->setGeometry(9, 12, 418, 193);
    lvNodes->setColumnCount(2);
    lvNodes->setHeaderLabels({QStringLiteral("Alias"), QStringLiteral("AET")});
    lvNodes->header()->setStretchLastSection(false);
    lvNodes->setColumnWidth(0, 207);
    lvNodes->setColumnWidth(1, 207);
    lvNodes->setRootIsDecorated(false);
    lvNodes->setItemsExpandable(false);
    lvNodes->setUniformRowHeights(true);
    lvNodes->setSelectionMode(QAbstractItemView::SingleSelection);
    lvNodes->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvNodes->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cmdAdd = AddButton(this, "Add New", 9, 216, 136, 25);
    cmdEdit = AddButton(this, "Edit", 150, 216, 136, 25);
    cmdDelete = AddButton(this, "Delete", 291, 216, 136, 25);

    QWidget* query = AddFrame(this, fraQuery, "Query", {9, 252, 226, 130}, {6, 15, 214, 106});
    lblSettings[0] = AddDialogLabel(query, "Remote AET:", 6, 6, 72, 13);
    txtQuAET = AddField(query, 6, 21, 202, 19);
    lblSettings[1] = AddDialogLabel(query, "Remote IP:", 6, 54, 63, 13);
    txtQuIP = AddField(query, 6, 72, 100, 19);
    lblSettings[2] = AddDialogLabel(query, "Remote Port:", 132, 54, 75, 13);
    txtQuPort = AddField(query, 132, 72, 76, 19);

    QWidget* local = AddFrame(this, fraLocal, "Local", {240, 252, 190, 133}, {6, 15, 163, 49});
    lblSettings[3] = AddDialogLabel(local, "AET:", 6, 6, 24, 13);
    txtLocAET = AddField(local, 6, 21, 151, 19);
    chkUseForward = new QCheckBox(QStringLiteral("Use forward"), fraLocal);
    chkUseForward->setGeometry(12, 66, 145, 22);
    chkRegistered = new QCheckBox(QStringLiteral("Use 'Registered Date'"), fraLocal);
    chkRegistered->setGeometry(12, 93, 172, 25);
    for (auto* box : {chkUseForward, chkRegistered}) FitCheckBox(box, DialogFont(kTahoma, 9.75, true));

    cmdApply = AddButton(this, "Save", 261, 402, 82, 28);
    cmdApply->setDefault(true);
    cmdCancel = AddButton(this, "Cancel", 348, 402, 82, 28);

    QWidget* const order[] = {txtQuAET,  txtQuIP, txtQuPort, txtLocAET, cmdApply,      cmdCancel,
                              cmdDelete, cmdEdit, cmdAdd,    lvNodes,   chkUseForward, chkRegistered};
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
    txtQuIP->installEventFilter(this);
    txtQuPort->installEventFilter(this);

    connect(chkUseForward, &QCheckBox::clicked, this,
            [this](bool on) { logic_.CheckClicked(SettingsCheck::UseForward, on); });
    connect(chkRegistered, &QCheckBox::clicked, this,
            [this](bool on) { logic_.CheckClicked(SettingsCheck::Registered, on); });
    connect(lvNodes, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (mirroring_) return;
        const auto items = lvNodes->selectedItems();
        logic_.RowSelected(items.isEmpty() ? std::nullopt
                                           : std::optional<int>(lvNodes->indexOfTopLevelItem(items.first())));
    });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { logic_.AddNew(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { logic_.Edit(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { logic_.Delete(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { logic_.Save(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
}

QLineEdit* SettingsDialog::field(SettingsField which) const {
    switch (which) {
        case SettingsField::QueryAET:
            return txtQuAET;
        case SettingsField::QueryIP:
            return txtQuIP;
        case SettingsField::QueryPort:
            return txtQuPort;
        case SettingsField::LocalAET:
            return txtLocAET;
    }
    return nullptr;
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == txtQuIP || watched == txtQuPort)) {
        const auto code = TypedCharacter(static_cast<QKeyEvent*>(event));
        if (code) {
            const auto which = watched == txtQuIP ? SettingsField::QueryIP : SettingsField::QueryPort;
            if (!logic_.KeyTyped(which, *code)) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- SettingsDialogView

void SettingsDialog::appendRow(const config::NodeRow& row) {
    const bool was = std::exchange(mirroring_, true);
    new QTreeWidgetItem(lvNodes, {Q(row.alias), Q(row.aet)});
    mirroring_ = was;
}

void SettingsDialog::setRow(int index, const config::NodeRow& row) {
    if (QTreeWidgetItem* item = lvNodes->topLevelItem(index)) {
        item->setText(0, Q(row.alias));
        item->setText(1, Q(row.aet));
    }
}

void SettingsDialog::removeRow(int index) {
    const bool was = std::exchange(mirroring_, true);
    delete lvNodes->takeTopLevelItem(index);
    mirroring_ = was;
}

void SettingsDialog::clearSelection() {
    const bool was = std::exchange(mirroring_, true);
    lvNodes->clearSelection();
    lvNodes->setCurrentItem(nullptr);
    mirroring_ = was;
}

void SettingsDialog::setFieldText(SettingsField which, const std::string& text) {
    const bool was = std::exchange(mirroring_, true);
    field(which)->setText(Q(text));
    mirroring_ = was;
}

void SettingsDialog::setChecked(SettingsCheck check, bool on) {
    (check == SettingsCheck::UseForward ? chkUseForward : chkRegistered)->setChecked(on);
}

void SettingsDialog::setSaveEnabled(bool on) {
    cmdApply->setEnabled(on);
}

void SettingsDialog::runNodeEntry(config::NodeEntryLogic::Mode mode, const config::NodeRow& initial) {
    NodeEntryDialog entry(this, mode, initial, logic_);
    entry.exec();
}

// --- MessageBoxes

void SettingsDialog::showError(const std::string& text) {
    QMessageBox::critical(this, QString::fromUtf8(kAppTitle), Q(text));
}

void SettingsDialog::showInfo(const std::string& text) {
    QMessageBox::information(this, QString::fromUtf8(kAppTitle), Q(text));
}

}  // namespace pelko::ui
