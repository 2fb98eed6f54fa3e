#include "gui/service_dialog.h"

#include "commands/settings.h"
#include "commands/startup.h"
#include "commands/translation_service.h"
#include "document/codec_qt.h"
#include "document/ui.h"
#include "translate/run.h"
#include "translate/translator.h"
#include "view/state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdlib>

namespace lex {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

bool is_web_address(const QString& s) {
    return s.startsWith("http://", Qt::CaseInsensitive) ||
           s.startsWith("https://", Qt::CaseInsensitive);
}

} // namespace

ServiceDialog::ServiceDialog(State& st, Ui& ui, const ServiceSettings& settings,
                             const std::string& webAddress, QWidget* parent)
    : QDialog(parent), st_(st), ui_(ui), settings_(settings), webAddress_(webAddress) {
    setWindowTitle(QStringLiteral("Translation Service"));
    auto* outer = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    service_ = new QComboBox(this);
    for (int i = 0; i < kServiceKinds; ++i) service_->addItem(service_title(ServiceKind(i)));
    address_ = new QLineEdit(this);
    address_->setMinimumWidth(360);
    key_ = new QLineEdit(this);
    key_->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Service"), service_);
    form->addRow(QStringLiteral("Address"), address_);
    form->addRow(QStringLiteral("Key"), key_);
    // The translation memory answers before any service.
    memory_ = new QCheckBox(QStringLiteral("Translation memory first"), this);
    memory_->setChecked(settings_.memory);
    threshold_ = new QSpinBox(this);
    threshold_->setRange(1, 100);
    threshold_->setSuffix(QStringLiteral(" %"));
    threshold_->setValue(settings_.memory_threshold);
    threshold_->setEnabled(settings_.memory);
    connect(memory_, &QCheckBox::toggled, threshold_, &QSpinBox::setEnabled);
    form->addRow(QStringLiteral("Memory"), memory_);
    form->addRow(QStringLiteral("Least similarity"), threshold_);
    outer->addLayout(form);

    if (st_.kept.url_overridden) {
        auto* note = new QLabel(
            QStringLiteral("LEXMARIN_TRANSLATE_URL is set: this run uses the web page at %1.")
                .arg(qs(st_.translate_url)),
            this);
        note->setWordWrap(true);
        outer->addWidget(note);
    }

    auto* testRow = new QHBoxLayout;
    test_ = new QPushButton(QStringLiteral("Test"), this);
    result_ = new QLabel(this);
    result_->setWordWrap(true);
    result_->setTextFormat(Qt::PlainText); // a service's reason is never markup
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setMinimumHeight(40);
    testRow->addWidget(test_, 0, Qt::AlignTop);
    testRow->addWidget(result_, 1);
    outer->addLayout(testRow);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    outer->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &ServiceDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &ServiceDialog::reject);
    connect(test_, &QPushButton::clicked, this, [this] {
        if (testing_)
            st_.stop_requested = true; // the button reads "Stop" while a test waits
        else
            run_test();
    });
    connect(service_, &QComboBox::currentIndexChanged, this, [this](int i) {
        keep_fields();
        show_service(i);
    });
    // Nothing chosen yet: the service the default gives, whatever the environment overrides.
    const ServiceKind shown = settings_.chosen             ? settings_.kind
                              : offline_engine_installed() ? ServiceKind::kOfflineEngine
                                                           : ServiceKind::kWebPage;
    service_->setCurrentIndex(int(shown));
    show_service(int(shown));
}

void ServiceDialog::show_service(int index) {
    const ServiceKind kind = ServiceKind(index);
    shown_ = index;
    const std::size_t i = std::size_t(index);
    address_->setEnabled(service_has_address(kind));
    key_->setEnabled(service_has_key(kind));
    address_->setText(kind == ServiceKind::kWebPage ? qs(webAddress_) : qs(settings_.address[i]));
    key_->setText(qs(settings_.key[i]));
    const std::string fallback = kind == ServiceKind::kWebPage
                                     ? std::string(kDefaultTranslateUrl)
                                     : default_address(kind, settings_.key[i]);
    address_->setPlaceholderText(service_has_address(kind) ? qs(fallback) : QString());
    const KeyNeed key = service_row(kind).key;
    key_->setPlaceholderText(key == KeyNeed::kRequired   ? QStringLiteral("required")
                             : key == KeyNeed::kOptional ? QStringLiteral("optional")
                                                         : QString());
    result_->clear();
}

void ServiceDialog::keep_fields() {
    if (shown_ < 0) return;
    const ServiceKind kind = ServiceKind(shown_);
    const std::string address = address_->text().trimmed().toStdString();
    if (kind == ServiceKind::kWebPage)
        webAddress_ = address;
    else if (service_has_address(kind))
        settings_.address[std::size_t(shown_)] = address;
    if (service_has_key(kind))
        settings_.key[std::size_t(shown_)] = key_->text().trimmed().toStdString();
}

ServiceSettings ServiceDialog::settings() {
    keep_fields();
    ServiceSettings s = settings_;
    s.memory = memory_->isChecked();
    s.memory_threshold = threshold_->value();
    s.chosen = true;
    s.kind = ServiceKind(service_->currentIndex());
    return s;
}

std::string ServiceDialog::webAddress() {
    keep_fields();
    return webAddress_;
}

void ServiceDialog::run_test() {
    const ServiceSettings s = settings();
    const std::string web = webAddress();
    const QString address = address_->text().trimmed();
    if (!address.isEmpty() && !is_web_address(address)) {
        result_->setText(QStringLiteral("\"%1\" is not a web address (http://... or https://...).")
                             .arg(address));
        return;
    }
    testing_ = true;
    test_->setText(QStringLiteral("Stop"));
    service_->setEnabled(false);
    buttons_->setEnabled(false);
    result_->setText(QStringLiteral("Asking ..."));

    // The web page is tried at the address in the field; the state keeps its own afterwards.
    const std::string keptUrl = st_.translate_url;
    if (s.kind == ServiceKind::kWebPage && !web.empty()) st_.translate_url = web;
    auto tr = make_translator(ui_, s.choice());
    const ServiceTest outcome = test_service(st_, *tr);
    st_.translate_url = keptUrl;

    result_->setText(outcome.ok
                         ? QStringLiteral("Lake \u2192 ") +
                               decode(outcome.answer, receiving_codepage(st_)) +
                               (outcome.route.empty() ? QString() : " (" + qs(outcome.route) + ")")
                         : qs(outcome.error));
    testing_ = false;
    test_->setText(QStringLiteral("Test"));
    service_->setEnabled(true);
    buttons_->setEnabled(true);
    if (closePending_) QDialog::reject();
}

void ServiceDialog::accept() {
    if (testing_) return;
    keep_fields();
    const QString address = address_->text().trimmed();
    if (!address.isEmpty() && !is_web_address(address)) {
        ui_.message({MessageId::kNotAWebAddress,
                     "\"" + address.toStdString() +
                         "\" is not a web address (http://... or https://...)."});
        return;
    }
    QDialog::accept();
}

void ServiceDialog::reject() {
    if (testing_) {
        // The test waits inside this dialog: it is stopped, and the dialog closes after it.
        st_.stop_requested = true;
        closePending_ = true;
        return;
    }
    QDialog::reject();
}

} // namespace lex
