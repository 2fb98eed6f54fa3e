// The window's side of the translation service: the status bar names the service in use, and
// Tools, "Translation Service..." opens its dialog.

#include "commands/settings.h"
#include "commands/startup.h"
#include "commands/translation_service.h"
#include "gui/main_window.h"
#include "gui/service_dialog.h"
#include "translate/translator.h"

#include <QLabel>
#include <QStatusBar>

namespace lex {

void MainWindow::useServices(const ServiceSettings& settings) {
    services_ = settings;
    translator_ = translator_in_use(st_, *ui_, services_);
    memory_->enabled = settings.memory;
    memory_->threshold = settings.memory_threshold;
    if (!serviceCaption_) {
        serviceCaption_ = new QLabel(this);
        serviceCaption_->setObjectName(QStringLiteral("serviceCaption"));
        statusBar()->addWidget(serviceCaption_, 1);
    }
    serviceCaption_->setText(QString::fromStdString(service_status(st_)));
}

void MainWindow::chooseService() {
    // While LEXMARIN_TRANSLATE_URL overrides the page's address, the settings keep their own.
    std::string& webAddress = st_.kept.url_overridden ? st_.kept.saved_url : st_.translate_url;
    ServiceDialog dialog(st_, *ui_, services_, webAddress, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const ServiceSettings chosen = dialog.settings();
    const std::string address = dialog.webAddress();
    webAddress = address.empty() ? std::string(kDefaultTranslateUrl) : address;
    std::string error;
    if (!write_service_settings(service_settings_path(st_), chosen, error))
        ui_->message({MessageId::kCannotWrite, error});
    useServices(chosen);
}

} // namespace lex
