#pragma once

#include <QString>

#include <utility>

// The three kinds of account a passwords document holds. Every field may be empty; notes may
// hold several lines separated by CR LF. A new record has only the name it was created with.
// Constructor arguments follow the field order.

struct WebAccount {
    WebAccount() = default;
    WebAccount(QString name_, QString address_ = {}, QString userId_ = {}, QString password_ = {},
               QString notes_ = {})
        : name(std::move(name_)), address(std::move(address_)), userId(std::move(userId_)),
          password(std::move(password_)), notes(std::move(notes_)) {}

    QString name;
    QString address;
    QString userId;
    QString password;
    QString notes;

    friend bool operator==(const WebAccount& a, const WebAccount& b) {
        return a.name == b.name && a.address == b.address && a.userId == b.userId &&
               a.password == b.password && a.notes == b.notes;
    }
    friend bool operator!=(const WebAccount& a, const WebAccount& b) { return !(a == b); }
};

struct MailAccount {
    MailAccount() = default;
    MailAccount(QString name_, QString address_ = {}, QString webInterface_ = {},
                QString smtpServer_ = {}, QString popServer_ = {}, QString userId_ = {},
                QString password_ = {}, QString notes_ = {})
        : name(std::move(name_)), address(std::move(address_)),
          webInterface(std::move(webInterface_)), smtpServer(std::move(smtpServer_)),
          popServer(std::move(popServer_)), userId(std::move(userId_)),
          password(std::move(password_)), notes(std::move(notes_)) {}

    QString name;
    QString address;
    QString webInterface;
    QString smtpServer;
    QString popServer;
    QString userId;
    QString password;
    QString notes;

    friend bool operator==(const MailAccount& a, const MailAccount& b) {
        return a.name == b.name && a.address == b.address && a.webInterface == b.webInterface &&
               a.smtpServer == b.smtpServer && a.popServer == b.popServer && a.userId == b.userId &&
               a.password == b.password && a.notes == b.notes;
    }
    friend bool operator!=(const MailAccount& a, const MailAccount& b) { return !(a == b); }
};

struct OtherAccount {
    OtherAccount() = default;
    OtherAccount(QString name_, QString description_ = {}, QString pin_ = {}, QString notes_ = {})
        : name(std::move(name_)), description(std::move(description_)), pin(std::move(pin_)),
          notes(std::move(notes_)) {}

    QString name;
    QString description;
    QString pin;
    QString notes;

    friend bool operator==(const OtherAccount& a, const OtherAccount& b) {
        return a.name == b.name && a.description == b.description && a.pin == b.pin &&
               a.notes == b.notes;
    }
    friend bool operator!=(const OtherAccount& a, const OtherAccount& b) { return !(a == b); }
};
