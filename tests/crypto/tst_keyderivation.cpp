#include "CryptoTestSupport.h"

#include "KeyDerivation.h"
#include "PasswordEncoding.h"
#include "ReferenceCipher.h"

#include <QtTest>

#include <openssl/des.h>

class TestKeyDerivation : public QObject {
    Q_OBJECT
private slots:
    void keyMatchesReference_data();
    void keyMatchesReference();
    void emptyPasswordIsWeak();
    void passwordEncoding_data();
    void passwordEncoding();
    void otherCodePage();
};

static QByteArray Pattern(int length, int start) {
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(static_cast<char>(start + (i * 37) % 95));
    return bytes;
}

void TestKeyDerivation::keyMatchesReference_data() {
    QTest::addColumn<QByteArray>("password");
    for (int length : {1, 7, 8, 9, 15, 16, 17, 24, 259})
        QTest::addRow("length %d", length) << Pattern(length, 0x21);
    QByteArray high;
    for (int c = 0x80; c <= 0xFF; ++c)
        high.append(static_cast<char>(c));
    QTest::newRow("bytes 0x80-0xFF") << high;
    QTest::newRow("accented") << QByteArray("m\xE9tro\xFC\xDF");
    QTest::newRow("bytes 0x80-0x87") << QByteArray("\x80\x81\x82\x83\x84\x85\x86\x87\xFF");
}

void TestKeyDerivation::keyMatchesReference() {
    QFETCH(QByteArray, password);
    const DesKey key = KeyFromPassword(password);
    const auto reference = ReferenceKey(password);
    DES_cblock library;
    DES_string_to_key(password.constData(), &library);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(key[i], reference[i]);
        QCOMPARE(key[i], library[i]);
    }
    QCOMPARE(CheckKey(key), 0);
}

void TestKeyDerivation::emptyPasswordIsWeak() {
    const DesKey key = KeyFromPassword(QByteArray());
    QCOMPARE(CheckKey(key), -2);
    QCOMPARE(CheckPassword(QString()), PasswordCheck::Empty);
}

void TestKeyDerivation::passwordEncoding_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("check");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("secret") << int(PasswordCheck::Ok)
                           << QByteArray("secret");
    QTest::newRow("latin-1 accent")
        << QStringLiteral("caf\u00e9") << int(PasswordCheck::Ok) << QByteArray("caf\xE9");
    QTest::newRow("euro sign") << QStringLiteral("\u20ac5") << int(PasswordCheck::Ok)
                               << QByteArray("\x80"
                                             "5");
    QTest::newRow("smart quotes") << QStringLiteral("\u201cq\u201d") << int(PasswordCheck::Ok)
                                  << QByteArray("\x93q\x94");
    QTest::newRow("polish L") << QStringLiteral("\u0141\u00f3d\u017a")
                              << int(PasswordCheck::NotInCodePage) << QByteArray();
    QTest::newRow("cyrillic") << QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c")
                              << int(PasswordCheck::NotInCodePage) << QByteArray();
    QTest::newRow("emoji") << QStringLiteral("a\U0001F511") << int(PasswordCheck::NotInCodePage)
                           << QByteArray();
    QTest::newRow("embedded NUL") << QString(QStringLiteral("ab") + QChar(0) + QStringLiteral("c"))
                                  << int(PasswordCheck::NotInCodePage) << QByteArray();
    QTest::newRow("empty") << QString() << int(PasswordCheck::Empty) << QByteArray();
    QTest::newRow("259 bytes") << QString(259, QLatin1Char('k')) << int(PasswordCheck::Ok)
                               << QByteArray(259, 'k');
    QTest::newRow("260 bytes") << QString(260, QLatin1Char('k')) << int(PasswordCheck::TooLong)
                               << QByteArray();
}

void TestKeyDerivation::passwordEncoding() {
    QFETCH(QString, password);
    QFETCH(int, check);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    QCOMPARE(int(PasswordToLegacyBytes(password, out)), check);
    QCOMPARE(out, bytes);
    QCOMPARE(int(CheckPassword(password)), check);
    if (check != int(PasswordCheck::Ok)) {
        const QString message = PasswordCheckMessage(PasswordCheck(check));
        QVERIFY(!message.isEmpty());
        if (!password.isEmpty())
            QVERIFY(!message.contains(password));
    }
}

void TestKeyDerivation::otherCodePage() {
    QVERIFY(!SetLegacyCodePage(QStringLiteral("no-such-code-page")));
    QCOMPARE(LegacyCodePage(), QStringLiteral("windows-1252"));
    if (!SetLegacyCodePage(QStringLiteral("ISO-8859-2")))
        QSKIP("Qt was built without extra code pages");
    QByteArray out;
    QCOMPARE(PasswordToLegacyBytes(QStringLiteral("\u0141"), out), PasswordCheck::Ok);
    QCOMPARE(out, QByteArray("\xA3"));
    QCOMPARE(PasswordToLegacyBytes(QStringLiteral("\u20ac"), out), PasswordCheck::NotInCodePage);
    QVERIFY(SetLegacyCodePage(QStringLiteral("windows-1252")));
}

std::unique_ptr<QObject> CreateKeyDerivationTest() {
    return std::make_unique<TestKeyDerivation>();
}

#include "tst_keyderivation.moc"
