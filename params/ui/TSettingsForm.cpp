// The parameter editor window: binding of controls to image fields, enabling rules, GPRS provider list.
#include "params/ui/TSettingsForm.h"

#include "common/Cp1250.h"
#include "common/ui/Dialogs.h"
#include "monitor/EventLog.h"
#include "params/ApnPresets.h"
#include "params/FieldCodecs.h"
#include "params/ui/Cp1250Validator.h"
#include "params/ui/DigitRow.h"
#include "params/ui/ipaddress/TIPAddressControl.h"
#include "ui_TSettingsForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <QSpinBox>

#include <algorithm>
#include <stdexcept>

namespace vantrel {

namespace {

constexpr int kProviderItemRole = Qt::UserRole;

QString nameOf(const FieldSpec& spec) {
    return QString::fromLatin1(spec.name.data(), static_cast<qsizetype>(spec.name.size()));
}

// The object name of the control that holds a field; empty for fields the window binds by hand (flags) or
// that have no control (the zero pairs).
QString controlNameFor(const FieldSpec& spec) {
    const QString name = nameOf(spec);
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
        return QStringLiteral("acg") + name;
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
        return QStringLiteral("ed") + name;
    case FieldKind::TimerByte:
    case FieldKind::Word16BE:
        return QStringLiteral("ud") + name;
    case FieldKind::IPv4Address:
        return QStringLiteral("IPAddressControl") + name.mid(QStringLiteral("IPAddress").size());
    case FieldKind::FlagByte:
    case FieldKind::ZeroPair:
        break;
    }
    return {};
}

bool controlFitsKind(QWidget* control, FieldKind kind) {
    switch (kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
        return qobject_cast<DigitRow*>(control) != nullptr && !qobject_cast<DigitRow*>(control)->isEventCode();
    case FieldKind::EventCodeField:
        return qobject_cast<DigitRow*>(control) != nullptr && qobject_cast<DigitRow*>(control)->isEventCode();
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
        return qobject_cast<QLineEdit*>(control) != nullptr;
    case FieldKind::TimerByte:
    case FieldKind::Word16BE:
        return qobject_cast<QSpinBox*>(control) != nullptr;
    case FieldKind::IPv4Address:
        return qobject_cast<TIPAddressControl*>(control) != nullptr;
    case FieldKind::FlagByte:
    case FieldKind::ZeroPair:
        return control == nullptr;
    }
    return false;
}

bool isWindowSwitch(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// The label as a screen reader should say it: the layout's double blanks made single.
QString labelOf(const FieldSpec& spec) {
    return QString::fromUtf8(spec.label.data(), static_cast<qsizetype>(spec.label.size())).simplified();
}

// The correction warning lists this many fields and counts the rest, so the box fits on the screen.
constexpr qsizetype kCorrectionLinesShown = 12;

} // namespace

TSettingsForm::TSettingsForm(ImageBytes& image, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TSettingsForm>()), image_(image) {
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Each spin box's edit carries the edit's name, so both names of the pair can be found.
    for (QSpinBox* spin : findChildren<QSpinBox*>()) {
        const QString name = spin->objectName();
        if (!name.startsWith(QStringLiteral("ud")))
            continue;
        if (auto* edit = spin->findChild<QLineEdit*>())
            edit->setObjectName(name == QStringLiteral("udServerID") ? QStringLiteral("edCentralID")
                                                                     : QStringLiteral("ed") + name.mid(2));
    }

    bindControls();

    // Text edits: wide enough for their longest text, and only characters the module's code page has.
    auto* codePage = new Cp1250Validator(this);
    const int charWidth = fontMetrics().averageCharWidth();
    for (std::size_t i = 0; i < ImageLayout.size(); ++i) {
        if (ImageLayout[i].kind != FieldKind::SmsTextField)
            continue;
        auto* edit = static_cast<QLineEdit*>(controls_[i]);
        edit->setValidator(codePage);
        codePage->guardPaste(edit);
        edit->setMinimumWidth(charWidth * 42);
    }
    for (QLineEdit* edit : {ui_->edAPN, ui_->edUserName, ui_->edPWD}) {
        edit->setValidator(codePage);
        codePage->guardPaste(edit);
        edit->installEventFilter(this);
    }
    ui_->edAPN->setMinimumWidth(charWidth * 42);
    ui_->edUserName->setMaximumWidth(charWidth * 24);
    ui_->edPWD->setMaximumWidth(charWidth * 24);
    customPalette_ = ui_->edAPN->palette();

    // The list shows operator names only (the values stay out of sight), as wide as the longest name. The
    // wheel takes the focus first, so an APN being typed is remembered before a preset replaces it.
    ui_->cbServiceProvider->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ui_->cbServiceProvider->setFocusPolicy(Qt::WheelFocus);
    ui_->PageControl1->setUsesScrollButtons(false);
    ui_->btSaveSettings->setVisible(false);

    callFilter_ = new QButtonGroup(this);
    callFilter_->addButton(ui_->rbCallFilterAll, 0);
    callFilter_->addButton(ui_->rbCallFilterListed, 1);
    bellCallFilter_ = new QButtonGroup(this);
    bellCallFilter_->addButton(ui_->rbBELLCallFilterAll, 0);
    bellCallFilter_->addButton(ui_->rbBELLCallFilterListed, 1);

    connect(ui_->btSettingOK, &QPushButton::clicked, this, &TSettingsForm::btSettingOKClick);
    connect(ui_->btSettingCancel, &QPushButton::clicked, this, &TSettingsForm::btSettingCancelClick);
    connect(ui_->btSaveSettings, &QPushButton::clicked, this, &TSettingsForm::btSaveSettingsClick);
    connect(callFilter_, &QButtonGroup::idToggled, this, &TSettingsForm::rgCallFilterClick);
    connect(bellCallFilter_, &QButtonGroup::idToggled, this, &TSettingsForm::rgCallFilterClick);
    connect(ui_->cbGPRSmode, &QCheckBox::toggled, this, &TSettingsForm::cbGPRSmodeClick);

    FormCreate();

    connect(ui_->cbServiceProvider, &QComboBox::currentIndexChanged, this, &TSettingsForm::cbServiceProviderChange);

    setAccessibleNames();
    loaded_ = storedImage();
}

void TSettingsForm::setAccessibleNames() {
    for (std::size_t i = 0; i < ImageLayout.size(); ++i) {
        QWidget* control = controls_[i];
        if (control == nullptr)
            continue;
        const QString label = labelOf(ImageLayout[i]);
        control->setAccessibleName(label);
        // The address control's four number fields take the focus one by one, so each needs its own name.
        if (qobject_cast<TIPAddressControl*>(control) != nullptr) {
            const QList<QLineEdit*> parts = control->findChildren<QLineEdit*>();
            for (qsizetype part = 0; part < parts.size(); ++part)
                parts[part]->setAccessibleName(QStringLiteral("%1, %2. szám").arg(label).arg(part + 1));
        }
    }
}

TSettingsForm::~TSettingsForm() = default;

void TSettingsForm::bindControls() {
    controls_.assign(ImageLayout.size(), nullptr);
    for (std::size_t i = 0; i < ImageLayout.size(); ++i) {
        const FieldSpec& spec = ImageLayout[i];
        const QString name = controlNameFor(spec);
        QWidget* control = name.isEmpty() ? nullptr : findChild<QWidget*>(name);
        if (!controlFitsKind(control, spec.kind))
            throw std::logic_error("editor has no fitting control for field " + std::string(spec.name));
        controls_[i] = control;
    }
    for (std::string_view name : EditorFieldOrder) {
        const FieldSpec* spec = findField(name);
        editorOrder_.push_back(static_cast<std::size_t>(spec - ImageLayout.data()));
    }
}

void TSettingsForm::FormCreate() {
    loadProviderList();
    CustomAPN.clear();
    CustomUserName.clear();
    CustomPWD.clear();
    ui_->cbServiceProvider->setCurrentIndex(0);
    cbServiceProviderChange();
    rgCallFilterClick();
    // The SMS tab first and then the phone tab, so that the first showing opens on "Telefonszámok".
    ui_->PageControl1->setCurrentWidget(ui_->TabSheetSMS);
    ui_->PageControl1->setCurrentWidget(ui_->TabSheetPhone);
}

void TSettingsForm::loadProviderList() {
    // A missing, unreadable or empty APNs.dat leaves the built-in list: there is always a custom entry 0.
    QString note;
    const QStringList items = readApnPresetFile(apnPresetFileName(), &note).value_or(builtInApnPresets());
    // Said once, where the installer looks for what happened, without holding up the start.
    if (!note.isEmpty()) {
        qWarning("%s", qUtf8Printable(note));
        EventLog::append(note);
    }
    ui_->cbServiceProvider->clear();
    for (const QString& item : items)
        ui_->cbServiceProvider->addItem(apnPresetName(item), item);
}

void TSettingsForm::LoadFromImage() {
    for (std::size_t index : editorOrder_)
        loadField(index);
    loaded_ = storedImage();
}

void TSettingsForm::StoreToImage() {
    for (std::size_t index : editorOrder_)
        encodeField(image_, ImageLayout[index], controlValue(index));
    loaded_ = storedImage();
}

void TSettingsForm::loadField(std::size_t index) {
    const FieldSpec& spec = ImageLayout[index];
    const FieldValue value = decodeField(image_, spec);
    QWidget* control = controls_[index];
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
        static_cast<DigitRow*>(control)->setCells(std::get<QStringList>(value));
        break;
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
        static_cast<QLineEdit*>(control)->setText(fromCp1250(std::get<QByteArray>(value)));
        break;
    case FieldKind::TimerByte:
    case FieldKind::Word16BE:
        // A value beyond the spin box's range shows at the nearest limit, and is stored back as such.
        static_cast<QSpinBox*>(control)->setValue(std::get<int>(value));
        break;
    case FieldKind::IPv4Address: {
        auto* address = static_cast<TIPAddressControl*>(control);
        const Octets octets = std::get<Octets>(value);
        for (int i = 0; i < TIPAddressControl::FieldCount; ++i)
            address->setField(i, octets[static_cast<std::size_t>(i)]);
        break;
    }
    case FieldKind::FlagByte: {
        const int flag = std::get<int>(value);
        if (&spec == &layoutField("CallFilter")) {
            (flag != 0 ? ui_->rbCallFilterListed : ui_->rbCallFilterAll)->setChecked(true);
        } else if (&spec == &layoutField("BELLFlags")) {
            ((flag & 1) != 0 ? ui_->rbBELLCallFilterListed : ui_->rbBELLCallFilterAll)->setChecked(true);
            ui_->cbBELLcallback->setChecked((flag & 2) != 0);
        } else if (&spec == &layoutField("GPRSmode")) {
            ui_->cbGPRSmode->setChecked(flag != 0);
        } else if (&spec == &layoutField("VoiceCaller")) {
            ui_->cbVoiceCaller->setChecked(flag != 0);
        }
        break;
    }
    case FieldKind::ZeroPair:
        break;
    }
}

FieldValue TSettingsForm::controlValue(std::size_t index) const {
    const FieldSpec& spec = ImageLayout[index];
    QWidget* control = controls_[index];
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
        return static_cast<DigitRow*>(control)->cells();
    case FieldKind::SmsTextField:
    case FieldKind::CountedText:
        return toCp1250(static_cast<QLineEdit*>(control)->text());
    case FieldKind::TimerByte:
    case FieldKind::Word16BE:
        return static_cast<QSpinBox*>(control)->value();
    case FieldKind::IPv4Address: {
        auto* address = static_cast<TIPAddressControl*>(control);
        Octets octets{};
        for (int i = 0; i < TIPAddressControl::FieldCount; ++i)
            octets[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(address->field(i), 0, 255));
        return octets;
    }
    case FieldKind::FlagByte:
        if (&spec == &layoutField("CallFilter"))
            return ui_->rbCallFilterListed->isChecked() ? 1 : 0;
        if (&spec == &layoutField("BELLFlags"))
            return (ui_->rbBELLCallFilterListed->isChecked() ? 1 : 0) + (ui_->cbBELLcallback->isChecked() ? 2 : 0);
        if (&spec == &layoutField("GPRSmode"))
            return ui_->cbGPRSmode->isChecked() ? 1 : 0;
        if (&spec == &layoutField("VoiceCaller"))
            return ui_->cbVoiceCaller->isChecked() ? 1 : 0;
        break;
    case FieldKind::ZeroPair:
        break;
    }
    return std::monostate{};
}

ImageBytes TSettingsForm::storedImage() const {
    ImageBytes stored = image_;
    for (std::size_t index : editorOrder_)
        encodeField(stored, ImageLayout[index], controlValue(index));
    return stored;
}

// What the installer has before them for a field, in the form displayValue gives a stored field. A number
// the spin box could not take shows at its limit; the one the image holds is what storing changes.
QString TSettingsForm::shownText(std::size_t index) const {
    const FieldSpec& spec = ImageLayout[index];
    QWidget* control = controls_[index];
    switch (spec.kind) {
    case FieldKind::PhoneNumberField:
    case FieldKind::PrefixField:
    case FieldKind::EventCodeField:
        return static_cast<DigitRow*>(control)->text();
    case FieldKind::SmsTextField: {
        // Blanks at the end are stored as padding; nobody sees them go.
        QString text = static_cast<QLineEdit*>(control)->text();
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        return text;
    }
    case FieldKind::CountedText:
        return static_cast<QLineEdit*>(control)->text();
    case FieldKind::TimerByte:
    case FieldKind::Word16BE: {
        const auto* spin = static_cast<QSpinBox*>(control);
        const int held = std::get<int>(decodeField(image_, spec));
        const bool clipped = (held > spin->maximum() && spin->value() == spin->maximum()) ||
                             (held < spin->minimum() && spin->value() == spin->minimum());
        return QString::number(clipped ? held : spin->value());
    }
    case FieldKind::IPv4Address: {
        const auto* address = static_cast<TIPAddressControl*>(control);
        QStringList parts;
        for (int i = 0; i < TIPAddressControl::FieldCount; ++i)
            parts << QString::number(address->field(i));
        return parts.join(QLatin1Char('.'));
    }
    case FieldKind::FlagByte:
    case FieldKind::ZeroPair:
        break;
    }
    return {};
}

bool TSettingsForm::onShownPage(const QWidget* control) const {
    for (int page = 0; page < ui_->PageControl1->count(); ++page)
        if (ui_->PageControl1->widget(page)->isAncestorOf(control))
            return true;
    return false;
}

QStringList TSettingsForm::storeCorrections() const {
    // Page by page as the tabs run, so the list reads in the order the installer finds the fields.
    ImageBytes stored = image_;
    QStringList lines;
    for (const EditorTabInfo& tab : EditorTabs) {
        for (std::size_t index = 0; index < ImageLayout.size(); ++index) {
            const FieldSpec& spec = ImageLayout[index];
            if (spec.tab != tab.tab || spec.kind == FieldKind::FlagByte || spec.kind == FieldKind::ZeroPair)
                continue;
            // Fields on the pages this product takes away are stored as ever; listing them would only puzzle.
            if (!onShownPage(controls_[index]))
                continue;
            encodeField(stored, spec, controlValue(index));
            // A field still erased (all 0xFF, as a new module or a fresh file has it) and left untouched gets
            // the editor's default: that fills a blank, it changes no value anyone set.
            const auto at = static_cast<std::ptrdiff_t>(spec.offset);
            const auto size = static_cast<std::ptrdiff_t>(spec.size());
            if (std::all_of(image_.begin() + at, image_.begin() + at + size,
                            [](std::uint8_t byte) { return byte == 0xFF; }) &&
                std::equal(stored.begin() + at, stored.begin() + at + size, loaded_.begin() + at))
                continue;
            const QString shown = shownText(index);
            const QString kept = displayValue(stored, spec);
            if (kept == shown)
                continue;
            lines << QStringLiteral("%1: „%2” helyett %3")
                         .arg(labelOf(spec), shown,
                              kept.isEmpty() ? QStringLiteral("üres") : QStringLiteral("„%1”").arg(kept));
        }
    }
    return lines;
}

bool TSettingsForm::hasUnsavedEdits() const {
    return storedImage() != loaded_;
}

void TSettingsForm::reject() {
    if (isVisible() && hasUnsavedEdits() &&
        !Dialogs::question(this, QStringLiteral("A módosítások nincsenek rögzítve. Bezárja az ablakot, és "
                                                "elveti őket?")))
        return;
    QDialog::reject();
}

void TSettingsForm::btSettingOKClick() {
    const QStringList corrections = storeCorrections();
    if (!corrections.isEmpty()) {
        QStringList shown = corrections.first(std::min(corrections.size(), kCorrectionLinesShown));
        if (corrections.size() > shown.size())
            shown << QStringLiteral("… és még %1 érték.").arg(corrections.size() - shown.size());
        const QString text = QStringLiteral("Rögzítéskor ezek az értékek nem úgy tárolódnak, ahogy az ablak "
                                            "mutatja:\n\n%1\n\nRögzíti így a beállításokat?")
                                 .arg(shown.join(QLatin1Char('\n')));
        if (!Dialogs::question(this, text))
            return;
    }
    StoreToImage();
    accept();
}

void TSettingsForm::btSettingCancelClick() {
    // The button says what it does: no question here, unlike Escape and the close box.
    QDialog::reject();
}

void TSettingsForm::rgCallFilterClick() {
    // Runs for both radio groups; only the voice-call selection governs anything.
    const bool listed = ui_->rbCallFilterListed->isChecked();
    const std::array<std::pair<QWidget*, QWidget*>, 4> rows{{
        {ui_->acgPhnrEnabled1, ui_->lbPhnrEnabled1},
        {ui_->acgPhnrEnabled2, ui_->lbPhnrEnabled2},
        {ui_->acgPhnrEnabled3, ui_->lbPhnrEnabled3},
        {ui_->acgPhnrEnabled4, ui_->lbPhnrEnabled4},
    }};
    for (const auto& [row, label] : rows) {
        row->setEnabled(listed);
        label->setEnabled(listed);
    }
}

void TSettingsForm::cbGPRSmodeClick() {
    updateGprsControls();
}

bool TSettingsForm::customProviderSelected() const {
    return ui_->cbServiceProvider->currentIndex() <= 0;
}

void TSettingsForm::updateGprsControls() {
    const bool gprs = ui_->cbGPRSmode->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{ui_->cbServiceProvider, ui_->lbServiceProvider, ui_->lbAPN,
                                                            ui_->lbUserName, ui_->lbPWD})
        control->setEnabled(gprs);
    // A preset keeps its edits locked whatever the GPRS mode does; otherwise switching the mode off and on
    // would unlock values that the chosen operator fixes.
    const bool editable = gprs && customProviderSelected();
    for (QLineEdit* edit : {ui_->edAPN, ui_->edUserName, ui_->edPWD})
        edit->setEnabled(editable);
}

void TSettingsForm::cbServiceProviderChange() {
    QPalette palette = customPalette_;
    if (customProviderSelected()) {
        ui_->edAPN->setText(CustomAPN);
        ui_->edUserName->setText(CustomUserName);
        ui_->edPWD->setText(CustomPWD);
    } else {
        // Locked preset values: menu background, grey text.
        const QColor menu = QApplication::palette("QMenu").color(QPalette::Window);
        const QColor grey = customPalette_.color(QPalette::Disabled, QPalette::Text);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base, menu);
            palette.setColor(group, QPalette::Text, grey);
        }
        const ApnPreset preset = ParseApnPreset(ui_->cbServiceProvider->currentData(kProviderItemRole).toString());
        ui_->edAPN->setText(preset.apn);
        ui_->edUserName->setText(preset.userName);
        ui_->edPWD->setText(preset.password);
    }
    for (QLineEdit* edit : {ui_->edAPN, ui_->edUserName, ui_->edPWD})
        edit->setPalette(palette);
    updateGprsControls();
}

void TSettingsForm::edAPNExit() {
    CustomAPN = ui_->edAPN->text();
}

void TSettingsForm::edUserNameExit() {
    CustomUserName = ui_->edUserName->text();
}

void TSettingsForm::edPWDExit() {
    CustomPWD = ui_->edPWD->text();
}

void TSettingsForm::btSaveSettingsClick() {
    QStringList items;
    for (int i = 0; i < ui_->cbServiceProvider->count(); ++i)
        items << ui_->cbServiceProvider->itemData(i, kProviderItemRole).toString();
    writeApnPresetFile(apnPresetFileName(), items);
}

void TSettingsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Without a field focused the first digits the installer types would go nowhere.
    QWidget* page = ui_->PageControl1->currentWidget();
    for (QWidget* w = page->nextInFocusChain(); w != nullptr && w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this) && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

bool TSettingsForm::eventFilter(QObject* watched, QEvent* event) {
    const bool gprsEdit = watched == ui_->edAPN || watched == ui_->edUserName || watched == ui_->edPWD;
    if (!gprsEdit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // edAPNKeyPress: no spaces in access names, user names or passwords.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->text() == QStringLiteral(" "))
            return true;
    } else if (event->type() == QEvent::FocusOut && !isWindowSwitch(static_cast<QFocusEvent*>(event)->reason())) {
        if (watched == ui_->edAPN)
            edAPNExit();
        else if (watched == ui_->edUserName)
            edUserNameExit();
        else
            edPWDExit();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vantrel
