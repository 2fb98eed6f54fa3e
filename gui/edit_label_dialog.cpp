#include "gui/edit_label_dialog.h"

#include "commands/edit_label.h"
#include "document/codec_qt.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lex {

EditLabelDialog::EditLabelDialog(Ui& ui, const std::string& text, int codepage, QWidget* parent)
    : QDialog(parent), ui_(ui), codepage_(codepage), text_(new QLineEdit(this)),
      apply_(new QPushButton(QStringLiteral("Apply Changes"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("editLabel"));
    setWindowTitle(QStringLiteral("Edit Label"));
    setModal(true);
    text_->setObjectName(QStringLiteral("labelText"));
    text_->setFont(QFont(QStringLiteral("Arial"), 12));
    text_->setMinimumWidth(340);
    text_->setText(decode(text, codepage));
    apply_->setObjectName(QStringLiteral("apply"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    // Enter in the text box applies, as the first button does.
    apply_->setDefault(true);
    connect(apply_, &QPushButton::clicked, this, &EditLabelDialog::onApply);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
}

void EditLabelDialog::onApply() {
    std::string bytes = encode(text_->text(), codepage_);
    if (!label_text_accepted(ui_, bytes)) return; // the dialog stays open with the text
    applied_ = std::move(bytes);
    accept();
}

std::optional<std::string> editLabel(QWidget* parent, Ui& ui, const std::string& text,
                                     int codepage) {
    EditLabelDialog dialog(ui, text, codepage, parent);
    dialog.adjustSize();
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        dialog.move(area.x() + (area.width() - dialog.width()) / 2,
                    area.y() + (area.height() - dialog.height()) / 2);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.applied();
}

} // namespace lex
