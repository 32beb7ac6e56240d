#include "CryptoTestSupport.h"

#include "SecretString.h"

#include <QtTest>

#include <utility>
#include <vector>

namespace {

// What the release observer saw: each buffer let go, and whether every byte of it was zero.
struct Released {
    const QChar* buffer;
    bool allZero;
};
std::vector<Released> g_released;

void Observe(const QChar* buffer, qsizetype capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    bool zero = true;
    for (qsizetype i = 0; i < capacity * qsizetype(sizeof(QChar)); ++i)
        zero = zero && bytes[i] == 0;
    g_released.push_back({buffer, zero});
}

// The released entry for the buffer, or nullptr when it was not let go.
const Released* FindReleased(const QChar* buffer) {
    for (const Released& entry : g_released)
        if (entry.buffer == buffer)
            return &entry;
    return nullptr;
}

enum class Operation { Destroy, CopyAssign, MoveAssign, AssignQString, Clear, SelfAssign };

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestSecretString : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void givenUpBufferIsWiped_data();
    void givenUpBufferIsWiped();
    void moveHandsOverTheBuffer();
    void copiesDoNotShare();
    void viewReadsTheOwnBuffer();
    void takingAQStringWipesIt_data();
    void takingAQStringWipesIt();
    void comparesByCharacters_data();
    void comparesByCharacters();
};

void TestSecretString::init() {
    g_released.clear();
    SecretString::SetReleaseObserver(Observe);
}

void TestSecretString::cleanup() {
    SecretString::SetReleaseObserver(nullptr);
}

void TestSecretString::givenUpBufferIsWiped_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("released");
    QTest::newRow("destroyed") << Operation::Destroy << true;
    QTest::newRow("copy assigned over") << Operation::CopyAssign << true;
    QTest::newRow("move assigned over") << Operation::MoveAssign << true;
    QTest::newRow("QString assigned over") << Operation::AssignQString << true;
    QTest::newRow("cleared") << Operation::Clear << true;
    // Assigning a secret to itself must neither lose nor free its characters.
    QTest::newRow("assigned to itself") << Operation::SelfAssign << false;
}

void TestSecretString::givenUpBufferIsWiped() {
    QFETCH(Operation, operation);
    QFETCH(bool, released);

    const QString original = QStringLiteral("correct horse battery");
    const QString other = QStringLiteral("other");
    auto* secret = new SecretString(original);
    const QChar* buffer = secret->constData();
    QVERIFY(buffer);

    SecretString replacement(other);
    switch (operation) {
    case Operation::Destroy:
        delete secret;
        secret = nullptr;
        break;
    case Operation::CopyAssign:
        *secret = replacement;
        break;
    case Operation::MoveAssign:
        *secret = std::move(replacement);
        break;
    case Operation::AssignQString:
        *secret = other;
        break;
    case Operation::Clear:
        secret->Clear();
        QVERIFY(secret->isEmpty());
        break;
    case Operation::SelfAssign: {
        SecretString& same = *secret;
        *secret = same;
        QCOMPARE(*secret, original);
        break;
    }
    }

    const Released* entry = FindReleased(buffer);
    QCOMPARE(entry != nullptr, released);
    if (entry)
        QVERIFY2(entry->allZero, "a buffer was freed with the secret still in it");
    if (secret && operation != Operation::Clear && operation != Operation::SelfAssign)
        QCOMPARE(*secret, other);
    delete secret;
    // Whatever was freed at all, nothing went unwiped.
    for (const Released& each : g_released)
        QVERIFY(each.allZero);
}

void TestSecretString::moveHandsOverTheBuffer() {
    SecretString source(QStringLiteral("moved secret"));
    const QChar* buffer = source.constData();
    SecretString target(std::move(source));
    // The very buffer moves: no second copy is made that would need wiping.
    QCOMPARE(target.constData(), buffer);
    QVERIFY(source.isEmpty()); // NOLINT(bugprone-use-after-move): the moved-from state counts
    QVERIFY(source.constData() == nullptr);
    QCOMPARE(target, QStringLiteral("moved secret"));
    QVERIFY(FindReleased(buffer) == nullptr);
}

void TestSecretString::copiesDoNotShare() {
    const SecretString first(QStringLiteral("shared?"));
    SecretString second(first);
    SecretString third;
    third = first;
    QVERIFY(second.constData() != first.constData());
    QVERIFY(third.constData() != first.constData());
    QVERIFY(third.constData() != second.constData());
    // Wiping one copy leaves the others whole.
    second.Clear();
    QCOMPARE(first, QStringLiteral("shared?"));
    QCOMPARE(third, QStringLiteral("shared?"));
}

void TestSecretString::viewReadsTheOwnBuffer() {
    const SecretString secret(QStringLiteral("no copy"));
    const QString view = secret.View();
    QCOMPARE(view.constData(), secret.constData());
    QCOMPARE(view, QStringLiteral("no copy"));
    QVERIFY(SecretString().View().isEmpty());
}

void TestSecretString::takingAQStringWipesIt_data() {
    QTest::addColumn<bool>("shared");
    QTest::addColumn<bool>("literal");
    QTest::newRow("own buffer") << false << false;
    // Writing through a shared buffer would change the other holder's text.
    QTest::newRow("shared buffer") << true << false;
    // Static data is read-only: writing to it would crash.
    QTest::newRow("literal") << false << true;
}

void TestSecretString::takingAQStringWipesIt() {
    QFETCH(bool, shared);
    QFETCH(bool, literal);

    const QString expected = QStringLiteral("typed password");
    QString text =
        literal ? QStringLiteral("typed password") : QString(expected.constData(), expected.size());
    const QString otherHolder = shared ? text : QString();
    const QChar* buffer = text.constData();
    const qsizetype size = text.size();

    SecretString secret(std::move(text));
    QCOMPARE(secret, expected);
    QVERIFY(text.isEmpty()); // NOLINT(bugprone-use-after-move)
    if (shared) {
        QCOMPARE(otherHolder, expected);
    } else if (!literal) {
        // The string still owns its buffer, now zeroed.
        QCOMPARE(text.constData(), buffer);
        for (qsizetype i = 0; i < size; ++i)
            QCOMPARE(buffer[i], QChar(0));
    }
}

void TestSecretString::comparesByCharacters_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("equal");
    QTest::newRow("same") << "pa55"
                          << "pa55" << true;
    QTest::newRow("prefix") << "pa5"
                            << "pa55" << false;
    QTest::newRow("case") << "Pa55"
                          << "pa55" << false;
    QTest::newRow("both empty") << "" << QString() << true;
    QTest::newRow("non-Latin") << QString::fromUtf8("ключ") << QString::fromUtf8("ключ") << true;
}

void TestSecretString::comparesByCharacters() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, equal);
    QCOMPARE(SecretString(left) == SecretString(right), equal);
    QCOMPARE(SecretString(left) == right, equal);
    QCOMPARE(right != SecretString(left), !equal);
}

std::unique_ptr<QObject> CreateSecretStringTest() {
    return std::make_unique<TestSecretString>();
}

#include "tst_secretstring.moc"
