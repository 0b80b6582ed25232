#include "app/CommandLine.h"

#include <QCommandLineParser>

#include "app/InstanceMessage.h"

namespace {

QString sectionList() {
    QStringList names;
    for (MoneyDestination destination : money_destination::allCases())
        names << money_destination::rawValue(destination);
    return names.join(QStringLiteral(", "));
}

struct Options {
    QCommandLineOption open{QStringLiteral("open"), QStringLiteral("Открыть раздел: %1.").arg(sectionList()),
                            QStringLiteral("раздел")};
    QCommandLineOption printRole{QStringLiteral("print-role"),
                                 QStringLiteral("Показать роль этой сборки (parent или child) и выйти.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Показать эту справку.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Показать версию.")};

    void addTo(QCommandLineParser& parser) const {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({open, printRole, help, version});
        parser.addPositionalArgument(QStringLiteral("ссылка"),
                                     QStringLiteral("Ссылка вида zanbeck://add-expense."),
                                     QStringLiteral("[ссылка]"));
    }
};

}  // namespace

LaunchRequest parseCommandLine(const QStringList& arguments) {
    LaunchRequest request;
    Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("zanbeck")} : arguments)) {
        request.error = parser.errorText();
        return request;
    }
    request.showHelp = parser.isSet(options.help);
    request.showVersion = parser.isSet(options.version);
    request.printRole = parser.isSet(options.printRole);

    if (parser.isSet(options.open)) {
        const QStringList values = parser.values(options.open);
        if (values.size() > 1) {
            request.error = QStringLiteral("Раздел можно указать только один раз.");
            return request;
        }
        request.section = money_destination::fromRawValue(values.front());
        if (!request.section) {
            request.error = QStringLiteral("Неизвестный раздел «%1»; есть: %2.")
                                .arg(values.front().left(64), sectionList());
            return request;
        }
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        request.error = QStringLiteral("Можно открыть только одну ссылку.");
        return request;
    }
    if (positional.size() == 1) {
        if (!InstanceMessage::acceptableUrl(positional.front())) {
            request.error = QStringLiteral("«%1» не похоже на ссылку.").arg(positional.front().left(64));
            return request;
        }
        request.url = positional.front();
    }
    return request;
}

QString commandLineHelp() {
    Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    parser.setApplicationDescription(QStringLiteral("Zanbeck: копилка для карманных денег."));
    return parser.helpText();
}
