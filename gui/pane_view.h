#pragma once
// One pane of the window: a viewport through which the panel of a kind's rows scrolls, with
// its own vertical scroll bar. Only the rows in view have widgets: a small pool of cell pairs
// is bound to whichever rows the scroll position shows, so a pane of 30,000 rows costs no
// more than one of 20. Each row shows its element's picture at its left, decoded when the row
// first comes into view.

#include "view/picture_shelf.h"
#include "view/state.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace lex {

class PictureCell;

class PaneView : public QWidget {
    Q_OBJECT
public:
    PaneView(State& st, Kind kind, QWidget* parent = nullptr);

    // The rows, their count or the languages changed: re-read everything the pane shows.
    void rebuild();
    // Re-read the rows in view (texts and colours).
    void rebind();
    // While locked the target boxes take no typing.
    void setLocked(bool locked);

    Kind kind() const { return kind_; }
    QScrollBar* scrollBar() const { return vs_; }
    // The target box showing row `row`, or nullptr when the row is not in view.
    QLineEdit* editorForRow(int row) const;
    // Moves the keyboard focus to row `row`'s target box, scrolling it into view.
    bool focusRow(int row);

    // What the pane shows, for tests and the benchmark: the rows in view, top to bottom.
    struct Shown {
        int row;
        QString caption;
        QString text;
        QColor back;
        QColor labelBack;
        QColor labelFore;
        QColor fore;
        int top; // pixels from the viewport's top
        bool editable;
        QImage picture; // the element's picture the row shows (day or night); null: none
        bool solid;     // ... a colour filling its cell
    };
    std::vector<Shown> shownRows() const;

    // The tool tip of row `row`: its source label, the element's type code and its labels in
    // the other languages.
    QString rowToolTip(int row);
    // The elements whose pictures this pane has decoded since the document was opened.
    std::size_t picturesDecoded() const { return shelf_.decoded(); }

signals:
    void sourcePressed(Kind kind);
    void targetPressed(Kind kind);
    void sourceDoubleClicked(Kind kind, int row);
    void targetEdited(Kind kind); // the user typed into one of the target boxes
    // ... into row `row`'s box, which held `before` until then.
    void targetRowEdited(Kind kind, int row, const lex::Row& before);
    void rowFocused(Kind kind, int row); // a target box took the keyboard

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        PictureCell* picture = nullptr; // the element's picture
        QLabel* source = nullptr;       // the source label cell
        QLineEdit* target = nullptr;    // the target box
        int row = -1;
    };

    int px(long long twips) const;
    long long twips(int pixels) const;
    void makeSlots(int count);
    void bindSlot(Slot& slot, int row, bool force);
    bool placePanel();
    void onScroll(int value);
    void onEdited(int slotIndex, const QString& text);
    int slotOf(QObject* widget) const;
    bool moveFocus(int from, int step);

    State& st_;
    Kind kind_;
    QWidget* panel_; // the part of the panel inside the viewport
    QScrollBar* vs_;
    std::vector<Slot> slots_;
    int sourceCp_ = 1252;
    int targetCp_ = 1252;
    int panelTopPx_ = 0;    // viewport y of the panel's visible part, in pixels
    long long clipTop_ = 0; // twips of the panel hidden above panel_
    bool locked_ = false;
    int focusedRow_ = -1;
    PictureShelf shelf_;
};

} // namespace lex
