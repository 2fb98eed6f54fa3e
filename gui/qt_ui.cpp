#include "gui/qt_ui.h"

#include "document/plain_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

namespace lex {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A message as the person sees it: no control character of a server's or a file's text.
QString shown(const std::string& s) {
    return qs(plain_text(s, {.line_breaks = true, .other_bytes = true}));
}

} // namespace

void QtUi::message(const Message& message) {
    if (dialogs_) return dialogs_->message(message);
    // Plain text: what a server or a file says never turns into markup or a link.
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), shown(message.text),
                    QMessageBox::Ok, owner_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUi::ask(const Question& question) {
    if (dialogs_) return dialogs_->ask(question);
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), shown(question.text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int QtUi::choose(const Question& question, const std::vector<Answer>& answers) {
    if (dialogs_) return dialogs_->choose(question, answers);
    const std::string& text = question.text;
    if (answers.empty()) return -1;
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), shown(text),
                    QMessageBox::NoButton, owner_);
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton*> buttons;
    for (const Answer& a : answers)
        buttons.push_back(box.addButton(qs(a.caption), QMessageBox::AcceptRole));
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(buttons.back());
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i]) return answers[i].id;
    return answers.back().id;
}

std::string QtUi::choose_file(const FileRequest& request) {
    if (dialogs_) return dialogs_->choose_file(request);
    // "description NUL pattern NUL ..." becomes "description (pattern);;..."
    QStringList filters;
    std::size_t p = 0;
    while (p < request.filter.size()) {
        std::size_t a = request.filter.find('\0', p);
        if (a == std::string::npos) break;
        std::size_t b = request.filter.find('\0', a + 1);
        if (b == std::string::npos) b = request.filter.size();
        QString desc = qs(request.filter.substr(p, a - p));
        QString pattern = qs(request.filter.substr(a + 1, b - a - 1));
        if (!desc.contains('(')) desc += " (" + pattern + ")";
        filters << desc;
        p = b + 1;
    }
    QString folder = qs(request.folder);
    QFileInfo info(folder);
    if (!info.isDir()) folder = info.absolutePath();
    QString start = request.proposed.empty() ? folder : QDir(folder).filePath(qs(request.proposed));
    QString chosen =
        request.save
            ? QFileDialog::getSaveFileName(owner_, qs(request.title), start, filters.join(";;"))
            : QFileDialog::getOpenFileName(owner_, qs(request.title), start, filters.join(";;"));
    return QDir::toNativeSeparators(chosen).trimmed().toStdString();
}

void QtUi::process_events() {
    QApplication::processEvents();
}

void QtUi::busy(bool on) {
    if (on) {
        if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
    }
}

void QtUi::refresh(RefreshTarget target) {
    if (refresh_) refresh_(target);
}

void QtUi::view_file(const std::string& path) {
    start_viewer(path);
}

bool QtUi::start_viewer(const std::string& path) {
    if (dialogs_) return dialogs_->start_viewer(path);
#ifdef _WIN32
    return QProcess::startDetached("NOTEPAD.EXE", {qs(path)});
#else
    // False when the desktop has no launcher (no xdg-open on a machine without a desktop).
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
#endif
}

void QtUi::start_program(const std::string& program, const std::vector<std::string>& arguments) {
    if (dialogs_) return dialogs_->start_program(program, arguments);
    QStringList args;
    for (const std::string& a : arguments) args << qs(a);
    QProcess::startDetached(qs(program), args);
}

void QtUi::open_url(const std::string& url) {
    if (dialogs_) return dialogs_->open_url(url);
    QDesktopServices::openUrl(QUrl(qs(url)));
}

} // namespace lex
