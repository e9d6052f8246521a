// The application object. Its notify() is the general error handler: an exception that escapes any event
// handler ends that action and is shown in an error box; the program goes on. It also gives every window
// the shared keyboard habits (common/ui/KeyboardFocus).
#pragma once

#include <QApplication>

namespace vantrel {

class VantrelApplication : public QApplication {
    Q_OBJECT
public:
    VantrelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an exception the way the handler does; for code that catches an error to clean up first and
    // must still report it.
    static void showError(const std::exception& error);

private:
    // Qt's own texts in Hungarian; false when the translation is not installed.
    bool loadQtTranslation();
};

} // namespace vantrel
