#pragma once

#include <QString>
#include <exception>
#include <string>

// Every failure of the family client carries the text the screens show.
class LocalizedError : public std::exception {
public:
    explicit LocalizedError(QString description)
        : description_(std::move(description)), what_(description_.toStdString()) {}
    const QString& errorDescription() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    QString description_;
    std::string what_;
};

// The client's own failures.
class AccountError : public LocalizedError {
public:
    enum class Kind { server, wrongRole, missingSession, unauthorized };

    static AccountError server(const QString& message) { return AccountError(Kind::server, message); }
    static AccountError wrongRole() { return AccountError(Kind::wrongRole, {}); }
    static AccountError missingSession() { return AccountError(Kind::missingSession, {}); }
    static AccountError unauthorized() { return AccountError(Kind::unauthorized, {}); }

    Kind kind() const { return kind_; }
    static QString describe(Kind kind, const QString& message);

private:
    AccountError(Kind kind, const QString& message) : LocalizedError(describe(kind, message)), kind_(kind) {}
    Kind kind_;
};

// An answer whose body is not the expected JSON record.
class DecodingError : public LocalizedError {
public:
    using LocalizedError::LocalizedError;
};

// A request record that cannot be written as JSON (a reward that is not a finite number).
class EncodingError : public LocalizedError {
public:
    using LocalizedError::LocalizedError;
};

// No HTTP answer at all: no network, refused, time-out, TLS, refused redirect target.
class TransportError : public LocalizedError {
public:
    using LocalizedError::LocalizedError;
};

// The keychain could not read or store the session token.
class KeychainError : public LocalizedError {
public:
    using LocalizedError::LocalizedError;
};
