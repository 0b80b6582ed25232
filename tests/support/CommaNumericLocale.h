#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <string>

// For its lifetime, the C library reads and writes numbers as under ru_RU
// (a decimal comma), as it does once Qt has set the locale from such an
// environment. Where the system has no ru_RU locale it is compiled into a
// temporary folder; active() is false when neither works.
class CommaNumericLocale {
public:
    CommaNumericLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
        active_ = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
        if (!active_ && dir_.isValid() &&
            QProcess::execute(QStringLiteral("localedef"),
                              {QStringLiteral("-i"), QStringLiteral("ru_RU"), QStringLiteral("-f"),
                               QStringLiteral("UTF-8"), dir_.filePath(QStringLiteral("ru_RU.UTF-8"))}) == 0) {
            qputenv("LOCPATH", dir_.path().toLocal8Bit());
            active_ = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
        }
    }
    ~CommaNumericLocale() {
        std::setlocale(LC_NUMERIC, saved_.c_str());
        qunsetenv("LOCPATH");
    }
    CommaNumericLocale(const CommaNumericLocale&) = delete;
    CommaNumericLocale& operator=(const CommaNumericLocale&) = delete;

    bool active() const { return active_; }

private:
    std::string saved_;
    QTemporaryDir dir_;
    bool active_ = false;
};
