// GLib headers first: they use "signals" as a name, which Qt defines as a macro.
#include <libsecret/secret.h>

#include "platform/SecretServiceKeychain.h"

namespace {

// One schema for every item of the app. SECRET_SCHEMA_NONE keeps the schema
// name among the stored attributes, so lookups never match another program's
// items that happen to use the same attribute names.
const SecretSchema* schema() {
    static const SecretSchema s = {
        "com.quorvel.Zanbeck.Password",
        SECRET_SCHEMA_NONE,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    };
    return &s;
}

// Takes ownership of a GError and turns it into text.
QString takeError(GError* error) {
    if (!error) return QStringLiteral("unknown Secret Service error");
    QString text = QString::fromUtf8(error->message);
    g_error_free(error);
    return text;
}

void setError(QString* out, const QString& text) {
    if (out) *out = text;
}

// The simple lookup and clear calls skip items they cannot unlock, which would
// make a locked keyring look empty. This asks the service about locked items
// with the same attributes. Returns true when there is one (or when asking
// failed, with the error in *errorText).
bool lockedItemExists(const QByteArray& application, const QByteArray& service, const QByteArray& account,
                      QString* errorText) {
    GHashTable* attributes = secret_attributes_build(schema(), "service", service.constData(), "account",
                                                     account.constData(), "application",
                                                     application.constData(), nullptr);
    GError* error = nullptr;
    GList* items = secret_service_search_sync(nullptr, schema(), attributes, SECRET_SEARCH_ALL, nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) {
        *errorText = takeError(error);
        return true;
    }
    bool locked = false;
    for (GList* it = items; it; it = it->next) locked = locked || secret_item_get_locked(SECRET_ITEM(it->data));
    g_list_free_full(items, g_object_unref);
    if (locked) *errorText = QStringLiteral("the keyring holding the item is locked");
    return locked;
}

}  // namespace

SecretServiceKeychain::SecretServiceKeychain(const QString& application) : application_(application.toUtf8()) {}

Keychain::ReadResult SecretServiceKeychain::read(const QString& service, const QString& account) {
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    GError* error = nullptr;
    SecretValue* value = secret_password_lookup_binary_sync(schema(), nullptr, &error, "service", s.constData(),
                                                            "account", a.constData(), "application",
                                                            application_.constData(), nullptr);
    if (error) {
        if (value) secret_value_unref(value);
        return {Status::failed, {}, takeError(error)};
    }
    if (!value) {
        QString lockedError;
        if (lockedItemExists(application_, s, a, &lockedError)) return {Status::failed, {}, lockedError};
        return {Status::notFound, {}, {}};
    }
    gsize length = 0;
    const gchar* data = secret_value_get(value, &length);
    QByteArray secret(data, static_cast<qsizetype>(length));
    secret_value_unref(value);
    return {Status::ok, secret, {}};
}

Keychain::Status SecretServiceKeychain::write(const QString& service, const QString& account,
                                              const QByteArray& secret, QString* errorText) {
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    const QByteArray label = (service + QStringLiteral(" (") + account + QStringLiteral(")")).toUtf8();
    SecretValue* value = secret_value_new(secret.constData(), secret.size(), "application/octet-stream");
    GError* error = nullptr;
    // Storing replaces an item with the same attributes, so a write never
    // leaves two copies behind.
    const gboolean stored = secret_password_store_binary_sync(schema(), SECRET_COLLECTION_DEFAULT,
                                                              label.constData(), value, nullptr, &error,
                                                              "service", s.constData(), "account",
                                                              a.constData(), "application",
                                                              application_.constData(), nullptr);
    secret_value_unref(value);
    if (!stored || error) {
        setError(errorText, takeError(error));
        return Status::failed;
    }
    return Status::ok;
}

Keychain::Status SecretServiceKeychain::remove(const QString& service, const QString& account,
                                               QString* errorText) {
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    GError* error = nullptr;
    const gboolean removed = secret_password_clear_sync(schema(), nullptr, &error, "service", s.constData(),
                                                        "account", a.constData(), "application",
                                                        application_.constData(), nullptr);
    if (error) {
        setError(errorText, takeError(error));
        return Status::failed;
    }
    if (removed) return Status::ok;
    QString lockedError;
    if (lockedItemExists(application_, s, a, &lockedError)) {
        setError(errorText, lockedError);
        return Status::failed;
    }
    return Status::notFound;
}
