#include "cli/CliText.h"

#include <cstdlib>

namespace vantrel::cli {

namespace {

Language g_language = languageFromEnvironment();

} // namespace

Language languageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return QString::fromLocal8Bit(value).startsWith(QLatin1String("hu")) ? Language::Hungarian
                                                                                 : Language::English;
    }
    return Language::English;
}

Language language() {
    return g_language;
}

void setLanguage(Language language) {
    g_language = language;
}

QString say(const char* hungarian, const char* english) {
    return QString::fromUtf8(g_language == Language::Hungarian ? hungarian : english);
}

TextLanguage textLanguage() {
    return g_language == Language::Hungarian ? TextLanguage::Hungarian : TextLanguage::English;
}

CliError::CliError(ExitStatus status, const QString& text) : std::runtime_error(text.toStdString()), status_(status) {}

} // namespace vantrel::cli
