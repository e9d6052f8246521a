#include "app/TWelcomeForm.h"

#include "app/Version.h"
#include "ui_TWelcomeForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QTimer>

namespace vantrel {

namespace {
constexpr int kSplashMs = 20;
}

TWelcomeForm::TWelcomeForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TWelcomeForm>()), timer1_(new QTimer(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(496, 309);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kSplashMs);
    connect(timer1_, &QTimer::timeout, this, &TWelcomeForm::Timer1Timer);
    FormCreate();
}

TWelcomeForm::~TWelcomeForm() = default;

void TWelcomeForm::FormCreate() {
    ui->lbVersion->setText(QStringLiteral(" ") + QLatin1String(kVersionText));
}

void TWelcomeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TWelcomeForm::FormShow() {
    if (onFirstShow)
        onFirstShow();
    timer1_->start();
}

void TWelcomeForm::Timer1Timer() {
    timer1_->stop();
    hide();
    if (onTimer)
        onTimer();
}

void TWelcomeForm::closeEvent(QCloseEvent* event) {
    // The root window: closing it ends the program.
    QDialog::closeEvent(event);
    if (event->isAccepted())
        QCoreApplication::quit();
}

} // namespace vantrel
