#pragma once
// The progress bar above the panes: a framed track and its fill, empty at 0.

#include <QWidget>

namespace lex {

class ProgressBar : public QWidget {
public:
    explicit ProgressBar(QWidget* parent);
    // 0 to 100.
    void setValue(int value);
    int value() const { return value_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

} // namespace lex
