#include "send/qt/NodeButtons.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "base/ActionGate.h"
#include "base/Twips.h"
#include "base/qt/QtSupport.h"

namespace pelko::ui {

const char* const kMarkedNodeStyle =
    "QPushButton { background-color: rgb(0, 255, 0); color: black;"
    " border: 1px solid rgb(0, 100, 0); border-radius: 2px; }";

namespace {

// The widget's own rectangle in the search frame, in twips.
constexpr int kLeftTwips = 315;
constexpr int kTopTwips = 2475;
constexpr int kRightTwips = 8115;
constexpr int kBottomTwips = 3435;
// The search frame's top left on the window, where slot 7 is designed.
constexpr int kFrameLeftTwips = 45;
constexpr int kFrameTopTwips = 585;

// A designed rectangle in twips of the search frame, in pixels of this
// widget: the same pixels as if placed in the frame itself.
QRect InFrame(int left, int top, int width, int height) {
    return {Px(left) - Px(kLeftTwips), Px(top) - Px(kTopTwips), Px(width), Px(height)};
}

// The "NODES" menu opens at the "..." button's own position inside the
// search frame plus (350, 660) twips, taken as a position in the window.
constexpr int kMenuOffsetXTwips = 350;
constexpr int kMenuOffsetYTwips = 660;

}  // namespace

NodeButtons::NodeButtons(Shell& shell, config::Settings& settings, ErrorReporter& errors, ActionGate& gate,
                         QWidget* searchFrame)
    : QWidget(searchFrame) {
    setGeometry(Px(kLeftTwips), Px(kTopTwips), Px(kRightTwips) - Px(kLeftTwips),
                Px(kBottomTwips) - Px(kTopTwips));
    // Slots 0 to 6 in two rows of the search frame.
    const int left[] = {315, 2295, 4275, 6255, 315, 2295, 4275};
    const int width[] = {1815, 1860, 1860, 1860, 1815, 1860, 1860};
    for (int i = 0; i < 7; ++i) {
        auto* button = new QPushButton(this);
        button->setGeometry(InFrame(left[i], i < 4 ? 2475 : 3015, width[i], 420));
        button->setObjectName(QStringLiteral("cmdNode%1").arg(i));
        if (i >= 4) button->hide();
        slotButtons_[static_cast<std::size_t>(i)] = button;
    }
    more_ = new QPushButton(QStringLiteral("..."), this);
    more_->setObjectName(QStringLiteral("cmdMore"));
    more_->setGeometry(InFrame(7830, 3015, 285, 420));
    more_->setFont(Tahoma(9, true));
    // Slot 7 is designed at (6300, 3600) of the window, in the window's font.
    auto* seventh = new QPushButton(this);
    seventh->setObjectName(QStringLiteral("cmdNode7"));
    seventh->setGeometry(Px(6300) - Px(kFrameLeftTwips) - Px(kLeftTwips),
                         Px(3600) - Px(kFrameTopTwips) - Px(kTopTwips), Px(1590), Px(420));
    seventh->setFont(Tahoma(9));
    seventh->hide();
    slotButtons_[7] = seventh;

    menu_ = new QMenu(QStringLiteral("NODES"), this);
    menu_->setObjectName(QStringLiteral("mnuNodes"));
    emptyItem_ = menu_->addAction(QStringLiteral("Empty"));
    emptyItem_->setObjectName(QStringLiteral("mnuEmpty0"));

    logic_ = std::make_unique<send::NodeSlots>(static_cast<send::NodeButtonsView&>(*this), shell, settings,
                                               errors);
    // While a search or a send runs, the marks and the menu stay as they are.
    gated_ = [&gate](const std::function<void()>& click) {
        if (auto pass = gate.tryEnter()) click();
    };
    for (int i = 0; i < send::kNodeSlots; ++i) {
        connect(slotButtons_[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { gated_([&] { logic_->NodeClicked(i); }); });
    }
    connect(more_, &QPushButton::clicked, this, [this] { gated_([&] { logic_->OpenMoreMenu(); }); });
}

NodeButtons::~NodeButtons() = default;

std::vector<QWidget*> NodeButtons::focusOrder() const {
    const auto& b = slotButtons_;
    return {b[3], b[2], b[1], b[0], more_, b[6], b[5], b[4], b[7]};
}

void NodeButtons::setSlotShown(int slot, bool shown) {
    slotButtons_.at(static_cast<std::size_t>(slot))->setVisible(shown);
    emit nodesChanged();
}

void NodeButtons::setSlotCaption(int slot, const std::string& caption) {
    slotButtons_.at(static_cast<std::size_t>(slot))->setText(Q(caption));
}

void NodeButtons::setSlotMarked(int slot, bool marked) {
    QPushButton* button = slotButtons_.at(static_cast<std::size_t>(slot));
    QFont font = button->font();
    font.setBold(marked);
    button->setFont(font);
    button->setStyleSheet(marked ? QString::fromLatin1(kMarkedNodeStyle) : QString());
    emit nodesChanged();
}

void NodeButtons::setMoreShown(bool shown) {
    more_->setVisible(shown);
}

void NodeButtons::resetNodeMenu() {
    emptyItem_->setVisible(true);
    for (QAction* item : menuItems_) {
        menu_->removeAction(item);
        item->deleteLater();
    }
    menuItems_.clear();
}

void NodeButtons::popUpNodeMenu(const std::vector<send::NodeMenuItem>& items) {
    for (const auto& item : items) {
        QAction* action = menu_->addAction(Q(item.alias));
        action->setData(Q(item.aeTitle));
        connect(action, &QAction::triggered, menu_,
                [this, item] { gated_([&] { logic_->ChooseMenuItem(item); }); });
        menuItems_.push_back(action);
    }
    emptyItem_->setVisible(false);
    // "..." in the search frame plus the offset, taken as a point of the
    // window's client area (the frame's parent).
    const QPoint inFrame = mapToParent(more_->pos());
    const QPoint at(inFrame.x() + Px(kMenuOffsetXTwips), inFrame.y() + Px(kMenuOffsetYTwips));
    QWidget* frame = parentWidget();
    QWidget* client = frame && frame->parentWidget() ? frame->parentWidget() : frame;
    menu_->popup(client ? client->mapToGlobal(at) : mapToGlobal(at));
}

}  // namespace pelko::ui
