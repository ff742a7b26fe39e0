#include "send/qt/SeriesWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "base/qt/QtSupport.h"

namespace pelko::ui {
namespace {

enum Column { kNumber, kModality, kDescription, kImages, kBodyPart, kDate, kTime, kColumns };
constexpr int kUidRole = Qt::UserRole;

// Series Number and the image count sort as numbers, the rest as text.
class SeriesItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : kNumber;
        const std::string a = text(column).toStdString(), b = other.text(column).toStdString();
        if (column == kNumber || column == kImages) return query::SeriesNumberLess(a, b);
        return a < b;
    }
};

}  // namespace

SeriesWindow::SeriesWindow(QWidget* parent, config::Settings& settings, ErrorReporter& errors,
                           dicom::Toolkit& toolkit, ActionGate& gate, const send::NodeSlots& nodes,
                           send::Sender& sender)
    : QDialog(parent),
      list_(new QTreeWidget(this)),
      note_(new QLabel(this)),
      send_(new QPushButton(QStringLiteral("&Send series"), this)),
      logic_(std::make_unique<send::SeriesSend>(static_cast<send::SeriesView&>(*this), settings, errors,
                                                toolkit, gate, nodes, sender)) {
    setObjectName(QStringLiteral("frmSeries"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFont(Tahoma(9));
    resize(720, 360);

    list_->setObjectName(QStringLiteral("lvSeries"));
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Number"), QStringLiteral("Modality"),
                            QStringLiteral("Description"), QStringLiteral("Images"),
                            QStringLiteral("Body part"), QStringLiteral("Date"), QStringLiteral("Time")});
    list_->header()->setSectionResizeMode(kDescription, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    list_->installEventFilter(this);
    note_->setObjectName(QStringLiteral("lblSeriesNote"));
    note_->setWordWrap(true);
    note_->hide();
    send_->setObjectName(QStringLiteral("cmdSendSeries"));
    send_->setAutoDefault(false);
    send_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(note_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(send_);
    layout->addLayout(buttons);

    connect(send_, &QPushButton::clicked, this, &SeriesWindow::send);
    connect(list_, &QTreeWidget::itemChanged, this, [this] { logic_->Update(); });
}

SeriesWindow::~SeriesWindow() {
    list_->disconnect(this);
}

bool SeriesWindow::open(const send::SeriesStudy& study) {
    setWindowTitle(Q(send::SeriesWindowTitle(study)));
    return logic_->Open(study);
}

void SeriesWindow::nodesChanged() {
    logic_->Update();
}

void SeriesWindow::showSeries(const std::vector<query::SeriesRow>& rows) {
    const QSignalBlocker quiet(list_);
    list_->setSortingEnabled(false);
    list_->clear();
    for (const query::SeriesRow& r : rows) {
        auto* item = new SeriesItem(list_);
        const std::pair<int, const std::string*> cells[] = {
            {kNumber, &r.number}, {kModality, &r.modality}, {kDescription, &r.description},
            {kImages, &r.images}, {kBodyPart, &r.bodyPart}, {kDate, &r.date},
            {kTime, &r.time}};
        for (const auto& [column, text] : cells) item->setText(column, Q(*text));
        item->setTextAlignment(kNumber, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(kImages, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(kNumber, kUidRole, Q(r.seriesInstanceUid));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(kNumber, Qt::Unchecked);
    }
    list_->setSortingEnabled(true);
    list_->sortByColumn(kNumber, Qt::AscendingOrder);
    for (int c = 0; c < kColumns; ++c) {
        if (c != kDescription) list_->resizeColumnToContents(c);
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    list_->setFocus();
}

void SeriesWindow::setNote(const std::string& note) {
    note_->setText(Q(note));
    note_->setVisible(!note.empty());
}

void SeriesWindow::allowSendSeries(bool allowed) {
    send_->setEnabled(allowed && !sending_);
}

std::vector<std::string> SeriesWindow::tickedSeries() const {
    std::vector<std::string> uids;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->checkState(kNumber) == Qt::Checked) {
            uids.push_back(item->data(kNumber, kUidRole).toString().toStdString());
        }
    }
    return uids;
}

void SeriesWindow::send() {
    if (sending_) return;
    sending_ = true;
    send_->setEnabled(false);
    logic_->Send();
    sending_ = false;
    if (closeAfterSend_) {
        close();
        return;
    }
    logic_->Update();
}

// Space ticks or unticks the current series, whatever column is current.
bool SeriesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        if (QTreeWidgetItem* item = list_->currentItem()) {
            item->setCheckState(kNumber,
                                item->checkState(kNumber) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// A send of this window runs inside its "Send series" handler: the window
// hides and closes once the send has ended.
void SeriesWindow::reject() {
    if (sending_) {
        closeAfterSend_ = true;
        hide();
        return;
    }
    QDialog::reject();
}

void SeriesWindow::closeEvent(QCloseEvent* event) {
    if (sending_) {
        closeAfterSend_ = true;
        hide();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace pelko::ui
