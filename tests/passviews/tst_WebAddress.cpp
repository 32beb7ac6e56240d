#include "tst_WebAddress.h"

#include "WebAddress.h"

#include <QTest>

void TestWebAddress::acceptsOnlyWebAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opens"); // empty: refused
    QTest::newRow("http") << "http://example.org/a?b=c"
                          << "http://example.org/a?b=c";
    QTest::newRow("https") << "https://bank.example"
                           << "https://bank.example";
    QTest::newRow("ftp") << "ftp://files.example/pub"
                         << "ftp://files.example/pub";
    QTest::newRow("mailto") << "mailto:me@example.org"
                            << "mailto:me@example.org";
    QTest::newRow("scheme in capitals") << "HTTPS://Bank.example"
                                        << "https://bank.example";
    QTest::newRow("bare host") << "www.example.org"
                               << "https://www.example.org";
    QTest::newRow("bare host with path") << "example.org/login"
                                         << "https://example.org/login";
    QTest::newRow("bare host with port") << "intranet.example:8080/x"
                                         << "https://intranet.example:8080/x";
    QTest::newRow("cut at first space") << "http://example.org my bank login"
                                        << "http://example.org";
    QTest::newRow("bare host then words") << "www.example.org is the site"
                                          << "https://www.example.org";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank") << "   "
                           << "";
    QTest::newRow("e-mail address") << "user@example.com"
                                    << "";
    QTest::newRow("word without dot") << "password123"
                                      << "";
    QTest::newRow("unix path") << "/etc/passwd"
                               << "";
    QTest::newRow("home path") << "~/secret.txt"
                               << "";
    QTest::newRow("relative path") << "./run.sh"
                                   << "";
    QTest::newRow("windows path") << "C:\\Windows\\notepad.exe"
                                  << "";
    QTest::newRow("unc path") << "\\\\server\\share.x"
                              << "";
    QTest::newRow("file scheme") << "file:///etc/passwd"
                                 << "";
    QTest::newRow("javascript") << "javascript:alert(1)"
                                << "";
    QTest::newRow("other scheme") << "smb://server.example/share"
                                  << "";
    QTest::newRow("scheme without host") << "http://"
                                         << "";
    QTest::newRow("mailto without address") << "mailto:"
                                            << "";
}

void TestWebAddress::acceptsOnlyWebAddresses() {
    QFETCH(QString, text);
    QFETCH(QString, opens);
    const QUrl url = WebAddressFromText(text);
    if (opens.isEmpty())
        QVERIFY2(url.isEmpty(), qPrintable(url.toString()));
    else
        QCOMPARE(url, QUrl(opens));
}
