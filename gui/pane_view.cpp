#include "gui/pane_view.h"

#include "document/codec_qt.h"
#include "document/codepage.h"
#include "document/pictures.h"
#include "gui/row_palette.h"
#include "translate/element_context.h"
#include "view/panes.h"
#include "view/rows.h"
#include "view/state.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lex {

namespace {

constexpr int kScrollBarTwips = 264;
constexpr int kCellPointSize = 11;

QColor qcolor(Rgb c) {
    return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}

void setColours(QWidget* w, QPalette::ColorRole backRole, CellColours colours) {
    QPalette p = w->palette();
    const QColor b = qcolor(colours.back);
    const QColor f = qcolor(colours.fore);
    const QPalette::ColorRole foreRole =
        backRole == QPalette::Base ? QPalette::Text : QPalette::WindowText;
    if (p.color(backRole) == b && p.color(foreRole) == f) return;
    p.setColor(backRole, b);
    p.setColor(foreRole, f);
    w->setPalette(p);
}

// A row that is not there (below the rows a pane has, in a pane taller than they are) shows
// as a blank one.
const Row& blankRow() {
    static const Row blank;
    return blank;
}

} // namespace

// The picture at the left of a row: a polygon's colour or pattern fills a square with a thin
// edge; an icon or a line is drawn centred, enlarged by whole pixels while it is small, scaled
// down when it does not fit. Night pictures stand on a dark ground.
class PictureCell : public QWidget {
public:
    explicit PictureCell(QWidget* parent) : QWidget(parent) {}

    // Shows `picture` (null: none). `key` tells pictures apart: the same picture under the same
    // key is not copied again.
    void setPicture(const Picture* picture, std::uint64_t key, bool night, bool tiled) {
        if (picture == source_ && key == key_ && night == night_) return;
        tiled_ = tiled;
        source_ = picture;
        key_ = key;
        night_ = night;
        solid_ = picture && picture->solid;
        image_ = QImage();
        if (picture && !picture->empty())
            image_ = QImage(reinterpret_cast<const uchar*>(picture->pixels.data()), picture->width,
                            picture->height, picture->width * 4, QImage::Format_ARGB32)
                         .copy();
        update();
    }
    const QImage& image() const { return image_; }
    bool solid() const { return solid_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        if (night_) p.fillRect(r, qcolor(kNightPictureGround));
        if (image_.isNull()) return;
        if (solid_ || tiled_) {
            // A polygon's colour or fill pattern fills a square, as it fills the area on a map.
            const int side = std::max(1, std::min(r.width(), r.height()) - 6);
            QRect box(0, 0, side, side);
            box.moveCenter(r.center());
            if (solid_)
                p.fillRect(box, image_.pixelColor(0, 0));
            else
                p.drawTiledPixmap(box, QPixmap::fromImage(image_));
            p.setPen(qcolor(kSwatchEdge));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            return;
        }
        // An icon or a line: as large as it fits, by whole pixels where it is small.
        QSize size = image_.size();
        if (size.width() > r.width() || size.height() > r.height()) {
            size.scale(r.size(), Qt::KeepAspectRatio);
        } else {
            const int times = std::max(1, std::min(r.width() / std::max(1, size.width()),
                                                   r.height() / std::max(1, size.height())));
            size *= std::min(times, 3);
        }
        QRect target(QPoint(0, 0), size);
        target.moveCenter(r.center());
        p.setRenderHint(QPainter::SmoothPixmapTransform, size.width() < image_.width());
        p.drawImage(target, image_);
    }

private:
    const Picture* source_ = nullptr;
    std::uint64_t key_ = ~std::uint64_t{0};
    bool night_ = false;
    bool solid_ = false;
    bool tiled_ = false;
    QImage image_;
};

PaneView::PaneView(State& st, Kind kind, QWidget* parent)
    : QWidget(parent), st_(st), kind_(kind), panel_(new QWidget(this)),
      vs_(new QScrollBar(Qt::Vertical, this)), shelf_(kind) {
    setObjectName(QStringLiteral("pane%1").arg(kind));
    panel_->setObjectName(QStringLiteral("panel%1").arg(kind));
    vs_->setObjectName(QStringLiteral("scroll%1").arg(kind));
    setAutoFillBackground(true);
    QPalette vp = palette();
    vp.setColor(QPalette::Window, QColor(171, 171, 171));
    setPalette(vp);
    panel_->setAutoFillBackground(true);
    QPalette pp = panel_->palette();
    pp.setColor(QPalette::Window, QColor(240, 240, 240));
    panel_->setPalette(pp);
    vs_->setRange(0, kScrollMax);
    connect(vs_, &QScrollBar::valueChanged, this, &PaneView::onScroll);
    setMinimumSize(120, 80);
}

int PaneView::px(long long tw) const {
    return int(std::llround(double(tw) * logicalDpiY() / 1440.0));
}

long long PaneView::twips(int pixels) const {
    return std::llround(double(pixels) * 1440.0 / std::max(1, logicalDpiY()));
}

void PaneView::makeSlots(int count) {
    QFont cellFont = font();
    cellFont.setPointSize(kCellPointSize);
    while (int(slots_.size()) < count) {
        Slot s;
        s.picture = new PictureCell(panel_);
        s.picture->installEventFilter(this);
        s.source = new QLabel(panel_);
        s.source->setFont(cellFont);
        s.source->setAutoFillBackground(true);
        s.source->setIndent(3);
        s.source->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        s.source->installEventFilter(this);
        s.target = new QLineEdit(panel_);
        s.target->setFont(cellFont);
        s.target->installEventFilter(this);
        const int index = int(slots_.size());
        connect(s.target, &QLineEdit::textEdited, this,
                [this, index](const QString& text) { onEdited(index, text); });
        s.picture->hide();
        s.source->hide();
        s.target->hide();
        slots_.push_back(s);
    }
}

void PaneView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Pane& pane = st_.pane(kind_);
    pane.viewport = int(std::max<long long>(1, twips(height())));
    size_pane(pane, st_.row_count(kind_));
    scroll_pane(st_, kind_, pane.scroll);
    const int sbw = std::max(12, px(kScrollBarTwips));
    vs_->setGeometry(width() - sbw, 0, sbw, height());
    makeSlots(int(pane.viewport / kRowPitch) + 3);
    rebuild();
}

void PaneView::wheelEvent(QWheelEvent* event) {
    QApplication::sendEvent(vs_, event);
}

void PaneView::rebuild() {
    Pane& pane = st_.pane(kind_);
    const int count = st_.row_count(kind_);
    sourceCp_ = source_cell_codepage(st_);
    targetCp_ = target_cell_codepage(st_);
    // Rows filled without a rebuild (a list file, say) still get a panel that reaches them.
    if ((long long)pane.panel < (long long)kRowPitch * count) size_pane(pane, count);
    const QSignalBlocker block(vs_);
    // A panel as tall as its viewport has nothing to scroll: its scroll bar offers nothing.
    vs_->setRange(0, pane.panel == pane.viewport ? 0 : kScrollMax);
    vs_->setSingleStep(pane.line_step);
    vs_->setPageStep(pane.page_step);
    vs_->setValue(pane.scroll);
    rebind();
}

bool PaneView::placePanel() {
    const Pane& pane = st_.pane(kind_);
    const long long lo = std::max<long long>(0, pane.top);
    const long long hi = std::min<long long>(pane.viewport, (long long)pane.top + pane.panel);
    const int w = vs_->x();
    if (hi <= lo || w <= 0) {
        panel_->hide();
        return false;
    }
    panelTopPx_ = px(lo);
    clipTop_ = lo - pane.top;
    panel_->setGeometry(0, panelTopPx_, w, std::max(1, px(hi) - panelTopPx_));
    panel_->show();
    return true;
}

void PaneView::rebind() {
    const Pane& pane = st_.pane(kind_);
    // The rows there are, and blank ones below them down to the panel's bottom.
    const int rows = std::max(int(st_.rows(kind_).size()), int(pane.panel / kRowPitch) + 1);
    const bool inView = placePanel();
    const RowSpan span = inView ? visible_rows(pane, rows) : RowSpan{};
    if (int(slots_.size()) < span.last - span.first) makeSlots(span.last - span.first);
    const int n = int(slots_.size());
    std::vector<int> want(std::size_t(n), -1);
    for (int k = span.first; k < span.last; ++k) want[std::size_t(k % n)] = k;

    const double sx = double(panel_->width()) / std::max(1, px(kPanelWidth));
    auto x = [&](int tw) { return int(std::lround(px(tw) * sx)); };
    // Rows stand at their exact pitch; one pixel less than the design height keeps a visible
    // seam between neighbouring cells at every pitch rounding.
    const int h = std::max(1, px(kRowHeight) - 1);
    QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < n; ++i) {
        Slot& s = slots_[std::size_t(i)];
        const int k = want[std::size_t(i)];
        if (k < 0) {
            if (s.target == focus) s.target->clearFocus();
            s.row = -1;
            s.picture->hide();
            s.source->hide();
            s.target->hide();
            continue;
        }
        if (s.row != k && s.target == focus) s.target->clearFocus();
        bindSlot(s, k, false);
        const int y = px((long long)pane.top + (long long)k * kRowPitch) - panelTopPx_;
        s.picture->setGeometry(x(kPictureLeft), y,
                               x(kPictureLeft + kPictureWidth) - x(kPictureLeft), h);
        s.source->setGeometry(x(kLabelLeft), y, x(kLabelLeft + kLabelWidth) - x(kLabelLeft), h);
        s.target->setGeometry(x(kTextLeft), y, x(kTextLeft + kTextWidth) - x(kTextLeft), h);
        s.picture->show();
        s.source->show();
        s.target->show();
    }
}

void PaneView::bindSlot(Slot& s, int k, bool) {
    const auto& rows = st_.rows(kind_);
    const Row& r = std::size_t(k) < rows.size() ? rows[std::size_t(k)] : blankRow();
    const bool live = k < st_.row_count(kind_);
    s.row = k;
    const bool night = st_.win.night_pictures;
    const ElementPictures* pictures = live ? shelf_.pictures(st_, r) : nullptr;
    s.picture->setPicture(pictures ? &pictures->shown(night) : nullptr, shelf_.edition(), night,
                          kind_ == kPolygons);
    const QString caption = decode(r.caption, sourceCp_);
    if (s.source->text() != caption) s.source->setText(caption);
    setColours(s.source, QPalette::Window, source_colours(r));
    const QString text = decode(r.text, targetCp_);
    if (s.target->text() != text) s.target->setText(text);
    s.target->setToolTip(QString::fromStdString(r.tip));
    s.target->setCursorPosition(s.target->hasFocus() ? s.target->cursorPosition() : 0);
    setColours(s.target, QPalette::Base, target_colours(r));
    s.target->setReadOnly(!live || locked_);
    s.target->setFocusPolicy(live ? Qt::StrongFocus : Qt::NoFocus);
}

void PaneView::setLocked(bool locked) {
    if (locked_ == locked) return;
    locked_ = locked;
    const int count = st_.row_count(kind_);
    for (Slot& s : slots_)
        if (s.row >= 0) s.target->setReadOnly(s.row >= count || locked_);
}

void PaneView::onScroll(int value) {
    scroll_pane(st_, kind_, value);
    rebind();
}

void PaneView::onEdited(int slotIndex, const QString& text) {
    Slot& s = slots_[std::size_t(slotIndex)];
    const int k = s.row;
    if (locked_ || k < 0 || k >= st_.row_count(kind_) || std::size_t(k) >= st_.rows(kind_).size())
        return;
    std::string bytes = encode(text, targetCp_);
    // A character the code page cannot hold is stored as "?": show what is stored.
    const QString stored = decode(bytes, targetCp_);
    if (stored != text) {
        const int cursor = s.target->cursorPosition();
        s.target->setText(stored);
        s.target->setCursorPosition(std::min(cursor, int(stored.size())));
    }
    Row before = st_.rows(kind_)[std::size_t(k)];
    st_.rows(kind_)[std::size_t(k)].text = std::move(bytes);
    emit targetEdited(kind_);
    emit targetRowEdited(kind_, k, before);
}

int PaneView::slotOf(QObject* widget) const {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].source == widget || slots_[i].target == widget || slots_[i].picture == widget)
            return int(i);
    return -1;
}

QLineEdit* PaneView::editorForRow(int row) const {
    for (const Slot& s : slots_)
        if (s.row == row && row >= 0 && !s.target->isHidden()) return s.target;
    return nullptr;
}

bool PaneView::focusRow(int row) {
    if (row < 0 || row >= st_.row_count(kind_)) return false;
    const int v = value_to_show_row(st_.pane(kind_), row);
    if (v != vs_->value())
        vs_->setValue(v);
    else if (!editorForRow(row))
        onScroll(v);
    QLineEdit* editor = editorForRow(row);
    if (!editor) return false;
    focusedRow_ = row;
    editor->setFocus(Qt::TabFocusReason);
    return true;
}

bool PaneView::moveFocus(int from, int step) {
    return from >= 0 && focusRow(from + step);
}

bool PaneView::eventFilter(QObject* watched, QEvent* event) {
    const int index = slotOf(watched);
    if (index < 0) return QWidget::eventFilter(watched, event);
    Slot& s = slots_[std::size_t(index)];
    if (event->type() == QEvent::ToolTip && watched != s.target) {
        const QString tip = rowToolTip(s.row);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               Qt::convertFromPlainText(tip), static_cast<QWidget*>(watched));
        return true;
    }
    if (watched == s.picture) return QWidget::eventFilter(watched, event);
    const bool isLabel = watched == s.source;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (isLabel)
            emit sourcePressed(kind_);
        else
            emit targetPressed(kind_);
        break;
    case QEvent::MouseButtonDblClick:
        if (isLabel && s.row >= 0 && s.row < st_.row_count(kind_))
            emit sourceDoubleClicked(kind_, s.row);
        break;
    case QEvent::FocusIn:
        if (!isLabel) {
            focusedRow_ = s.row;
            emit rowFocused(kind_, s.row);
        }
        break;
    case QEvent::ShortcutOverride: {
        // Undo and redo belong to the window, not to the box's own history.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!isLabel && (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
                         key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)))
            return true;
        break;
    }
    case QEvent::KeyPress: {
        if (isLabel) break;
        auto* key = static_cast<QKeyEvent*>(event);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        switch (key->key()) {
        case Qt::Key_Down:
            if (mods == Qt::NoModifier) {
                moveFocus(s.row, 1);
                return true;
            }
            break;
        case Qt::Key_Up:
            if (mods == Qt::NoModifier) {
                moveFocus(s.row, -1);
                return true;
            }
            break;
        case Qt::Key_Tab:
            if (mods == Qt::NoModifier && moveFocus(s.row, 1)) return true;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods == Qt::NoModifier) {
                moveFocus(s.row, 1);
                return true;
            }
            break;
        case Qt::Key_Backtab:
            if (moveFocus(s.row, -1)) return true;
            break;
        default:
            break;
        }
        // Tab past the first or last row leaves the pane.
        const bool tab = key->key() == Qt::Key_Tab && mods == Qt::NoModifier;
        if (tab || key->key() == Qt::Key_Backtab) {
            const bool forward = tab;
            QWidget* w = this;
            for (int guard = 0; guard < 1000; ++guard) {
                w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
                if (!w || w == this) break;
                if (isAncestorOf(w)) continue;
                if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
                    w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                    break;
                }
            }
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QString PaneView::rowToolTip(int row) {
    const auto& rows = st_.rows(kind_);
    if (row < 0 || row >= st_.row_count(kind_) || std::size_t(row) >= rows.size()) return {};
    const Row& r = rows[std::size_t(row)];
    QStringList lines{decode(r.caption, sourceCp_)};
    const std::string_view body = shelf_.body(st_, r);
    if (body.empty()) return lines.join('\n');
    // The languages the row shows are left out: its source (or the 0x00 label standing in for
    // it) and its target.
    std::vector<int> shown{lang_byte(st_.source_code)};
    if (!st_.row_target_code.empty()) shown.push_back(lang_byte(st_.row_target_code));
    if (r.source_key.rfind("=0x00,", 0) == 0) shown.push_back(0);
    const ElementContext context = element_context(body, shown, st_.utf8_labels);
    for (const std::string& line : {type_text(context), other_labels_text(context, utf8_text)})
        if (!line.empty()) lines << QString::fromStdString(line);
    return lines.join('\n');
}

std::vector<PaneView::Shown> PaneView::shownRows() const {
    std::vector<Shown> out;
    const int count = st_.row_count(kind_);
    for (const Slot& s : slots_) {
        if (s.row < 0 || s.target->isHidden()) continue;
        Shown sh;
        sh.row = s.row;
        sh.caption = s.source->text();
        sh.text = s.target->text();
        sh.back = s.target->palette().color(QPalette::Base);
        sh.labelBack = s.source->palette().color(QPalette::Window);
        sh.labelFore = s.source->palette().color(QPalette::WindowText);
        sh.fore = s.target->palette().color(QPalette::Text);
        sh.top = panel_->y() + s.target->y();
        sh.editable = s.row < count && !s.target->isReadOnly();
        sh.picture = s.picture->image();
        sh.solid = s.picture->solid();
        out.push_back(sh);
    }
    std::sort(out.begin(), out.end(), [](const Shown& a, const Shown& b) { return a.row < b.row; });
    return out;
}

} // namespace lex
