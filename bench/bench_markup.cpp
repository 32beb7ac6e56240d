// Write, parse and load of a passwords markup text with 100 000 accounts (about 25 MB), beside
// pugixml writing the same tree to a string (raw format, CR LF line ends, the same bytes) and
// parsing the same text and walking it into the same records. Run on demand, never by the
// tests: bench_markup [accounts] [rounds] [warm]. By default every run starts from a trimmed
// heap, as a program that has just opened a file would; "warm" lets runs reuse freed memory.
#include "CXmlText.h"
#include "PasswordsMarkup.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <pugixml.hpp>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

bool g_trimHeap = true;

QString Word(QRandomGenerator& random, int minLength, int maxLength) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const int length = minLength + static_cast<int>(random.bounded(maxLength - minLength + 1));
    QString word;
    word.reserve(length);
    for (int i = 0; i < length; ++i) {
        word += QLatin1Char(kLetters[random.bounded(36)]);
    }
    return word;
}

// Realistic records: a few markup characters and a line break in some values, a little
// non-ASCII text, mostly plain words.
void Generate(AccountStore& store, int accounts) {
    QRandomGenerator random(42);
    for (int i = 0; i < accounts; ++i) {
        const QString name = Word(random, 6, 14);
        const QString notes = Word(random, 5, 15) + QStringLiteral(" & ") + Word(random, 5, 15) +
                              QStringLiteral("\r\n") + QString::fromUtf8("caf\xc3\xa9 ") +
                              Word(random, 3, 8);
        const int kind = i % 20;
        if (kind < 12) {
            store.web.append({name,
                              QStringLiteral("https://") + Word(random, 5, 12) +
                                  QStringLiteral(".example/?a=1&b=2"),
                              Word(random, 6, 14), Word(random, 10, 20) + QStringLiteral("<>"),
                              notes});
        } else if (kind < 17) {
            const QString domain = Word(random, 5, 12) + QStringLiteral(".example");
            store.mail.append({name, Word(random, 5, 10) + QLatin1Char('@') + domain,
                               QStringLiteral("https://mail.") + domain,
                               QStringLiteral("smtp.") + domain, QStringLiteral("pop.") + domain,
                               Word(random, 5, 10), Word(random, 10, 20), notes});
        } else {
            store.other.append({name, Word(random, 16, 16), Word(random, 4, 6), notes});
        }
    }
}

double Best(int rounds, const std::function<void()>& run) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
#ifdef __GLIBC__
        // No run pays for the frees of the one before it.
        if (g_trimHeap) {
            malloc_trim(0);
        }
#endif
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

QString Value(const pugi::xml_node& account, const char* tag) {
    return QString::fromUtf8(account.child_value(tag));
}

// The same records as the passwords reader, taken from pugixml's tree.
void PugiLoad(const pugi::xml_document& doc, AccountStore& store) {
    const pugi::xml_node root = doc.first_child();
    for (pugi::xml_node group : root.children("WEB_ACCOUNTS")) {
        for (pugi::xml_node a : group.children("ACCOUNT")) {
            store.web.append({Value(a, "NAME"), Value(a, "ADDRESS"), Value(a, "USERID"),
                              Value(a, "PASSWORD"), Value(a, "NOTES")});
        }
    }
    for (pugi::xml_node group : root.children("MAIL_ACCOUNTS")) {
        for (pugi::xml_node a : group.children("ACCOUNT")) {
            store.mail.append({Value(a, "NAME"), Value(a, "ADDRESS"), Value(a, "WEBINTERFACE"),
                               Value(a, "SMTPSERVER"), Value(a, "POPSERVER"), Value(a, "USERID"),
                               Value(a, "PASSWORD"), Value(a, "NOTES")});
        }
    }
    for (pugi::xml_node group : root.children("OTHER_ACCOUNTS")) {
        for (pugi::xml_node a : group.children("ACCOUNT")) {
            store.other.append(
                {Value(a, "NAME"), Value(a, "USERID"), Value(a, "PASSWORD"), Value(a, "NOTES")});
        }
    }
}

bool PugiParse(pugi::xml_document& doc, const QByteArray& markup) {
    // The declaration names ISO-8859-1 but the text is UTF-8; say so, as our reader assumes.
    return doc.load_buffer(markup.constData(), static_cast<size_t>(markup.size()),
                           pugi::parse_default, pugi::encoding_utf8);
}

// pugixml's tree of the same markup: line breaks are text nodes, so that its raw output is
// byte for byte the text BuildPasswordsMarkup writes.
void AddLine(pugi::xml_node node) {
    node.append_child(pugi::node_pcdata).set_value("\r\n");
}

void AddField(pugi::xml_node account, const char* tag, const QString& value) {
    pugi::xml_node field = account.append_child(tag);
    if (!value.isEmpty()) {
        field.append_child(pugi::node_pcdata).set_value(value.toUtf8().constData());
    }
    AddLine(account);
}

template <class T, class Fields>
void PugiGroup(pugi::xml_node root, const char* name, const AccountList<T>& list,
               const Fields& fields) {
    pugi::xml_node group = root.append_child(name);
    AddLine(root);
    list.enumerate([&](int, const T& record) {
        if (!group.first_child()) {
            AddLine(group);
        }
        pugi::xml_node account = group.append_child("ACCOUNT");
        AddLine(group);
        AddLine(account);
        for (const auto& field : fields) {
            AddField(account, field.first, record.*field.second);
        }
    });
}

void PugiBuild(pugi::xml_document& doc, const AccountStore& store) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "ISO-8859-1";
    AddLine(doc);
    pugi::xml_node root = doc.append_child("DOC");
    AddLine(doc);
    AddLine(root);
    using Web = std::pair<const char*, QString WebAccount::*>;
    using Mail = std::pair<const char*, QString MailAccount::*>;
    using Other = std::pair<const char*, QString OtherAccount::*>;
    PugiGroup(root, "WEB_ACCOUNTS", store.web,
              std::vector<Web>{{"NAME", &WebAccount::name},
                               {"ADDRESS", &WebAccount::address},
                               {"USERID", &WebAccount::userId},
                               {"PASSWORD", &WebAccount::password},
                               {"NOTES", &WebAccount::notes}});
    PugiGroup(root, "MAIL_ACCOUNTS", store.mail,
              std::vector<Mail>{{"NAME", &MailAccount::name},
                                {"ADDRESS", &MailAccount::address},
                                {"WEBINTERFACE", &MailAccount::webInterface},
                                {"USERID", &MailAccount::userId},
                                {"PASSWORD", &MailAccount::password},
                                {"SMTPSERVER", &MailAccount::smtpServer},
                                {"POPSERVER", &MailAccount::popServer},
                                {"NOTES", &MailAccount::notes}});
    PugiGroup(root, "OTHER_ACCOUNTS", store.other,
              std::vector<Other>{{"NAME", &OtherAccount::name},
                                 {"USERID", &OtherAccount::description},
                                 {"PASSWORD", &OtherAccount::pin},
                                 {"NOTES", &OtherAccount::notes}});
}

// pugixml writing into one growing string, as a program saving to memory would.
struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
};

std::string PugiWrite(const pugi::xml_document& doc) {
    StringWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.text);
}

int Count(const AccountStore& store) {
    return static_cast<int>(store.web.filledSlots().size() + store.mail.filledSlots().size() +
                            store.other.filledSlots().size());
}

} // namespace

int main(int argc, char** argv) {
    const int accounts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    g_trimHeap = !(argc > 3 && std::strcmp(argv[3], "warm") == 0);

    AccountStore source;
    Generate(source, accounts);
    QByteArray markup = BuildPasswordsMarkup(source);
    pugi::xml_document tree;
    PugiBuild(tree, source);
    std::string pugiMarkup = PugiWrite(tree);
    if (pugiMarkup.size() != static_cast<size_t>(markup.size()) ||
        std::memcmp(pugiMarkup.data(), markup.constData(), pugiMarkup.size()) != 0) {
        std::fprintf(stderr, "bench_markup: pugixml's raw output differs from ours\n");
        return 1;
    }
    // The writers take turns within each round, like the readers below.
    double write = 1e30;
    double pugiWrite = 1e30;
    for (int round = 0; round < rounds; ++round) {
        write = std::min(write, Best(1, [&] { markup = BuildPasswordsMarkup(source); }));
        pugiWrite = std::min(pugiWrite, Best(1, [&] { pugiMarkup = PugiWrite(tree); }));
    }
    std::printf("markup: %d accounts, %.1f MB; best of %d rounds, %s heap\n", accounts,
                static_cast<double>(markup.size()) / 1e6, rounds, g_trimHeap ? "trimmed" : "warm");

    // The four measurements take turns within each round, so that other load on the machine
    // falls on all of them alike; the best round of each counts.
    bool parsed = false;
    bool pugiParsed = false;
    int ourCount = 0;
    int pugiCount = 0;
    double ourParse = 1e30;
    double ourLoad = 1e30;
    double pugiParse = 1e30;
    double pugiLoad = 1e30;
    for (int round = 0; round < rounds; ++round) {
        ourParse = std::min(ourParse, Best(1, [&] {
                                CXmlText xml;
                                parsed = xml.SetText(markup);
                            }));
        pugiParse = std::min(pugiParse, Best(1, [&] {
                                 pugi::xml_document doc;
                                 pugiParsed = PugiParse(doc, markup);
                             }));
        ourLoad = std::min(ourLoad, Best(1, [&] {
                               AccountStore store;
                               ReadPasswordsMarkup(markup, store);
                               ourCount = Count(store);
                           }));
        pugiLoad = std::min(pugiLoad, Best(1, [&] {
                                pugi::xml_document doc;
                                PugiParse(doc, markup);
                                AccountStore store;
                                PugiLoad(doc, store);
                                pugiCount = Count(store);
                            }));
    }

    if (!parsed || !pugiParsed || ourCount != accounts || pugiCount != accounts) {
        std::fprintf(stderr, "bench_markup: the readers disagree (%d, %d of %d accounts)\n",
                     ourCount, pugiCount, accounts);
        return 1;
    }
    std::printf("%-34s %9.1f ms\n", "write (BuildPasswordsMarkup)", write);
    std::printf("%-34s %9.1f ms\n", "pugixml write (save, raw)", pugiWrite);
    std::printf("write ratio ours/pugixml %.2f\n", write / pugiWrite);
    std::printf("%-34s %9.1f ms  %7.0f MB/s\n", "CXmlText parse (SetText)", ourParse,
                static_cast<double>(markup.size()) / 1e3 / ourParse);
    std::printf("%-34s %9.1f ms  %7.0f MB/s\n", "pugixml parse (load_buffer)", pugiParse,
                static_cast<double>(markup.size()) / 1e3 / pugiParse);
    std::printf("%-34s %9.1f ms\n", "CXmlText parse + load records", ourLoad);
    std::printf("%-34s %9.1f ms\n", "pugixml parse + walk into records", pugiLoad);
    std::printf("parse ratio ours/pugixml %.2f, parse+load ratio %.2f\n", ourParse / pugiParse,
                ourLoad / pugiLoad);
    return 0;
}
