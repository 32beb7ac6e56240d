#include "PasswordsMarkup.h"

#include "CXmlText.h"

const char kPasswordsDeclaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

namespace {

template <class T> struct Field {
    const char* tag;
    QString T::*member;
};

// Element names and their order in the file. Other accounts keep description and PIN in
// USERID and PASSWORD, as files have always done.
const Field<WebAccount> kWebFields[] = {{"NAME", &WebAccount::name},
                                        {"ADDRESS", &WebAccount::address},
                                        {"USERID", &WebAccount::userId},
                                        {"PASSWORD", &WebAccount::password},
                                        {"NOTES", &WebAccount::notes}};
const Field<MailAccount> kMailFields[] = {{"NAME", &MailAccount::name},
                                          {"ADDRESS", &MailAccount::address},
                                          {"WEBINTERFACE", &MailAccount::webInterface},
                                          {"USERID", &MailAccount::userId},
                                          {"PASSWORD", &MailAccount::password},
                                          {"SMTPSERVER", &MailAccount::smtpServer},
                                          {"POPSERVER", &MailAccount::popServer},
                                          {"NOTES", &MailAccount::notes}};
const Field<OtherAccount> kOtherFields[] = {{"NAME", &OtherAccount::name},
                                            {"USERID", &OtherAccount::description},
                                            {"PASSWORD", &OtherAccount::pin},
                                            {"NOTES", &OtherAccount::notes}};

const QByteArray kAccount = QByteArrayLiteral("ACCOUNT");

template <class T, size_t N>
void WriteGroup(CXmlText& xml, const char* group, const AccountList<T>& list,
                const Field<T> (&fields)[N]) {
    xml.AddElement(group);
    xml.EnterElement();
    list.enumerate([&](int, const T& record) {
        xml.AddElement(kAccount);
        xml.EnterElement();
        for (const Field<T>& field : fields) {
            xml.AddElement(field.tag, (record.*field.member).toUtf8());
        }
        xml.LeaveElement();
    });
    xml.LeaveElement();
}

template <class T, size_t N>
void ReadGroups(CXmlText& xml, const QByteArray& group, AccountList<T>& list,
                const Field<T> (&fields)[N]) {
    // The tags as byte arrays once, not once per account.
    QByteArray tags[N];
    for (size_t i = 0; i < N; ++i) {
        tags[i] = QByteArray(fields[i].tag);
    }
    // Files written by other hands may hold the groups in any order.
    xml.ResetMainPos();
    while (xml.FindElement(group)) {
        xml.EnterElement();
        while (xml.FindElement(kAccount)) {
            T& record = *list.at(list.append(T()));
            for (size_t i = 0; i < N; ++i) {
                // Fields may stand in any order; a missing one stays empty rather than taking
                // another field's value.
                xml.ResetChildPos();
                if (xml.FindChildElement(tags[i])) {
                    record.*fields[i].member = xml.GetChildText();
                }
            }
        }
        xml.LeaveElement();
    }
}

} // namespace

QByteArray BuildPasswordsMarkup(const AccountStore& store) {
    CXmlText xml;
    xml.SetText();
    xml.SetText(kPasswordsDeclaration);
    xml.AddElement("DOC");
    xml.EnterElement();
    WriteGroup(xml, "WEB_ACCOUNTS", store.web, kWebFields);
    WriteGroup(xml, "MAIL_ACCOUNTS", store.mail, kMailFields);
    WriteGroup(xml, "OTHER_ACCOUNTS", store.other, kOtherFields);
    return xml.GetText();
}

bool ReadPasswordsMarkup(const QByteArray& markup, AccountStore& store) {
    CXmlText xml;
    if (!xml.SetText(markup)) {
        return false;
    }
    xml.FindElement();
    xml.EnterElement();
    ReadGroups(xml, QByteArrayLiteral("WEB_ACCOUNTS"), store.web, kWebFields);
    ReadGroups(xml, QByteArrayLiteral("MAIL_ACCOUNTS"), store.mail, kMailFields);
    ReadGroups(xml, QByteArrayLiteral("OTHER_ACCOUNTS"), store.other, kOtherFields);
    return true;
}
