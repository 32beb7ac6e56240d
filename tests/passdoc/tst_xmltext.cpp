#include "tst_xmltext.h"

#include "CXmlText.h"
#include "CXmlTextInspector.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray Crlf(const char* lines) {
    return QByteArray(lines).replace("\n", "\r\n");
}

// The root's single child's data, found by name.
QByteArray ChildData(const QByteArray& text, const QByteArray& name) {
    CXmlText xml;
    if (!xml.SetText(text) || !xml.FindChildElement(name)) {
        return QByteArray("<not found>");
    }
    return xml.GetChildData();
}

} // namespace

void TestXmlText::parseResult_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("empty") << QByteArray() << false << QByteArray();
    QTest::newRow("not markup") << QByteArray("just words") << false
                                << QByteArray("Element tag not found");
    QTest::newRow("empty-element tag") << QByteArray("<A/>") << true << QByteArray();
    QTest::newRow("empty element") << QByteArray("<A></A>") << true << QByteArray();
    QTest::newRow("wrong end tag")
        << QByteArray("<A>x</B>") << false << QByteArray("End tag does not correspond to A");
    QTest::newRow("inner wrong end tag") << QByteArray("<A><BB>x</A></A>") << false
                                         << QByteArray("End tag does not correspond to BB");
    QTest::newRow("end tag longer")
        << QByteArray("<A></AB>") << false << QByteArray("End tag does not correspond to A");
    QTest::newRow("end tag shorter")
        << QByteArray("<AB></A>") << false << QByteArray("End tag does not correspond to AB");
    QTest::newRow("no end tag") << QByteArray("<A>x") << false
                                << QByteArray("Element tag not found");
    QTest::newRow("open tag cut") << QByteArray("<A") << false
                                  << QByteArray("End of tag not found");
    QTest::newRow("ends in <") << QByteArray("<A>x<") << false
                               << QByteArray("Abrupt end within tag");
    QTest::newRow("ends in < and blanks")
        << QByteArray("<A>x< \r\n") << false << QByteArray("Abrupt end within tag");
    QTest::newRow("end tag cut") << QByteArray("<A>x</A") << false
                                 << QByteArray("End tag not completed for element A");
    QTest::newRow("end tag cut in quote")
        << QByteArray("<A>x</A \">") << false << QByteArray("End tag not completed for element A");
    QTest::newRow("quoted tag") << QByteArray("<\"A\">") << false
                                << QByteArray("Tag starts with quote");
    QTest::newRow("open comment") << QByteArray("<!-- no end") << false
                                  << QByteArray("Invalid node");
    QTest::newRow("open instruction")
        << QByteArray("<?xml version") << false << QByteArray("Invalid node");
    QTest::newRow("open cdata") << QByteArray("<A><![CDATA[x</A>") << false
                                << QByteArray("Invalid node");
    QTest::newRow("open declaration")
        << QByteArray("<!DOCTYPE A [ > <A/>") << false << QByteArray("Invalid node");
    QTest::newRow("cut after <!") << QByteArray("<!") << false << QByteArray("Invalid node");
    QTest::newRow("only an end tag") << QByteArray("</A>") << false << QByteArray();
    QTest::newRow("end tag with junk") << QByteArray("<A>x</A junk=\"1\">") << true << QByteArray();
    QTest::newRow("end tag with blanks") << QByteArray("<A>x< / A >") << true << QByteArray();
    QTest::newRow("quoted end name is not checked")
        << QByteArray("<A>x</'B'>") << true << QByteArray();
    QTest::newRow("attributes") << QByteArray("<A b=\"1>2\" c='x'>y</A>") << true << QByteArray();
    QTest::newRow("nodes everywhere")
        << Crlf("<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE DOC [\n<!ELEMENT DOC ANY>\n"
                "<!ENTITY e \"]>\">\n]>\n<?pi x?><![CDATA[<X>]]>\n<DOC><!-- a --><A/><?p?>"
                "<![CDATA[</DOC>]]><B></B><!DOCTYPE y></DOC>")
        << true << QByteArray();
}

void TestXmlText::parseResult() {
    QFETCH(QByteArray, text);
    QFETCH(bool, parsed);
    QFETCH(QByteArray, error);

    CXmlText xml;
    xml.SetText("<stale/>"); // a previous document leaves nothing behind
    xml.FindElement();
    QCOMPARE(xml.SetText(text), parsed);
    QCOMPARE(xml.GetError(), error);
    QCOMPARE(xml.GetText(), text);
    QCOMPARE(xml.FindElement(), parsed);
    if (!parsed) {
        QVERIFY(!xml.FindChildElement());
        QVERIFY(!xml.EnterElement());
        QVERIFY(xml.GetChildData().isEmpty());
    }
}

void TestXmlText::tree_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("tree");

    QTest::newRow("nested") << QByteArray("<A><B>1</B><C><D/></C></A>")
                            << QByteArray("0 A 0 2 22 25 []\n1 B 3 5 7 10 [1]\n"
                                          "1 C 11 13 18 21 []\n2 D 14 17 16 17 []\n");
    QTest::newRow("nodes before and between")
        << QByteArray("<?x?><!--<B/>--><!DOCTYPE A [<!ENTITY q \"]>\">]><A><!--<C/>-->"
                      "<D/><![CDATA[<E/>]]><?y <F/>?><G/></A>")
        << QByteArray("0 A 47 49 95 98 []\n1 D 61 64 63 64 []\n1 G 91 94 93 94 []\n");
    QTest::newRow("second top-level element ignored")
        << QByteArray("<A/><B>junk") << QByteArray("0 A 0 3 2 3 []\n");
    QTest::newRow("text after root not examined")
        << QByteArray("<A>x</A><<<\"") << QByteArray("0 A 0 2 4 7 [x]\n");
}

void TestXmlText::tree() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, tree);
    CXmlText xml;
    QVERIFY(xml.SetText(text));
    QCOMPARE(CXmlTextInspector::Describe(xml), tree);
}

void TestXmlText::deepNesting() {
    // Hostile input must not exhaust the stack.
    const int depth = 200000;
    QByteArray text = QByteArray("<a>").repeated(depth) + "x" + QByteArray("</a>").repeated(depth);
    CXmlText xml;
    QVERIFY(xml.SetText(text));
    QVERIFY(!xml.SetText(text.left(text.size() - 1)));
    QCOMPARE(xml.GetError(), QByteArray("End tag not completed for element a"));
}

void TestXmlText::nameMatching_data() {
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<bool>("found");

    QTest::newRow("exact") << QByteArray("NAME") << QByteArray("NAME") << true;
    QTest::newRow("longer tag") << QByteArray("NAMES") << QByteArray("NAME") << false;
    QTest::newRow("longer search") << QByteArray("NAME") << QByteArray("NAMES") << false;
    QTest::newRow("index suffix") << QByteArray("NAME") << QByteArray("NAME[1]") << true;
    QTest::newRow("blank suffix") << QByteArray("NAME") << QByteArray("NAME x") << true;
    QTest::newRow("equals suffix") << QByteArray("NAME") << QByteArray("NAME=1") << true;
    QTest::newRow("slash suffix") << QByteArray("NAME") << QByteArray("NAME/X") << true;
    QTest::newRow("other suffix") << QByteArray("NAME") << QByteArray("NAME.X") << false;
    QTest::newRow("case") << QByteArray("NAME") << QByteArray("name") << false;
    QTest::newRow("any") << QByteArray("NAME") << QByteArray() << true;
    QTest::newRow("prefix of tag") << QByteArray("ACCOUNT") << QByteArray("ACC") << false;
}

void TestXmlText::nameMatching() {
    QFETCH(QByteArray, tag);
    QFETCH(QByteArray, search);
    QFETCH(bool, found);

    CXmlText xml;
    QVERIFY(xml.SetText("<R><" + tag + ">v</" + tag + "></R>"));
    QCOMPARE(xml.FindChildElement(search), found);
    QCOMPARE(xml.GetChildData(), found ? QByteArray("v") : QByteArray());

    CXmlText level;
    QVERIFY(level.SetText("<R><" + tag + ">v</" + tag + "></R>"));
    QVERIFY(level.FindElement());
    QVERIFY(level.EnterElement());
    QCOMPARE(level.FindElement(search), found);
}

void TestXmlText::navigation() {
    CXmlText xml;
    QVERIFY(!xml.FindElement()); // no index yet
    QVERIFY(xml.SetText("<R><A>1</A><B>2</B><A>3</A></R>"));
    QVERIFY(!xml.EnterElement());
    QVERIFY(!xml.LeaveElement());
    // A child search with no current element takes the root first.
    QVERIFY(xml.FindChildElement("A"));
    QCOMPARE(xml.GetChildData(), QByteArray("1"));
    QVERIFY(xml.FindChildElement("A"));
    QCOMPARE(xml.GetChildData(), QByteArray("3"));
    QVERIFY(!xml.FindChildElement("A"));
    QCOMPARE(xml.GetChildData(), QByteArray("3")); // a failed search moves nothing
    QVERIFY(!xml.FindChildElement("B"));           // searches only run forward
    QVERIFY(xml.EnterElement());                   // into R; current is the last A
    QVERIFY(!xml.FindElement("B"));
    QVERIFY(xml.LeaveElement());
    QCOMPARE(xml.GetChildData(), QByteArray("3"));
    QVERIFY(!xml.FindElement()); // R has no sibling
    QVERIFY(!xml.LeaveElement());
    QVERIFY(!xml.AddElement("S")); // a second top-level element
    QCOMPARE(xml.GetText(), QByteArray("<R><A>1</A><B>2</B><A>3</A></R>"));

    // Searching again from the first element of the parent.
    QVERIFY(xml.EnterElement()); // into R; current is the last A
    QVERIFY(!xml.FindElement("B"));
    xml.ResetMainPos();
    QVERIFY(xml.FindElement("B"));
    QVERIFY(xml.LeaveElement());
    // ChildMatches asks about the element at the child position only.
    QVERIFY(xml.ChildMatches("B"));
    QVERIFY(!xml.ChildMatches("A"));
    QVERIFY(xml.ChildMatches(QByteArray()));
}

void TestXmlText::readData_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("five entities")
        << QByteArray("&lt;&amp;&gt;&apos;&quot;") << QByteArray("<&>'\"");
    QTest::newRow("numeric reference") << QByteArray("&#65;") << QByteArray("&#65;");
    QTest::newRow("other entity") << QByteArray("&nbsp;") << QByteArray("&nbsp;");
    QTest::newRow("lone ampersand") << QByteArray("a & b") << QByteArray("a & b");
    QTest::newRow("ampersand at end") << QByteArray("a&") << QByteArray("a&");
    QTest::newRow("cut entity") << QByteArray("x&am") << QByteArray("x&am");
    QTest::newRow("no semicolon") << QByteArray("&lt x") << QByteArray("&lt x");
    QTest::newRow("one pass") << QByteArray("&amp;lt;") << QByteArray("&lt;");
    QTest::newRow("blanks kept") << QByteArray("  x \t") << QByteArray("  x \t");
    QTest::newRow("line breaks kept")
        << QByteArray("\r\na\r\nb\r\n") << QByteArray("\r\na\r\nb\r\n");
    QTest::newRow("non-ASCII") << QByteArray("gr\xc3\xbc\xc3\x9f &amp; \xe2\x82\xac")
                               << QByteArray("gr\xc3\xbc\xc3\x9f & \xe2\x82\xac");
    QTest::newRow("cdata") << QByteArray("<![CDATA[a<b&amp;]]>") << QByteArray("a<b&amp;");
    QTest::newRow("cdata after blanks") << QByteArray(" \r\n<![CDATA[x]]>tail") << QByteArray("x");
    QTest::newRow("empty cdata") << QByteArray("<![CDATA[]]>") << QByteArray("");
    QTest::newRow("comment inside data") << QByteArray("a<!--c-->b") << QByteArray("a<!--c-->b");
}

void TestXmlText::readData() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, data);
    QCOMPARE(ChildData("<R><V>" + content + "</V></R>", "V"), data);
    // The decoded form gives the same value.
    CXmlText xml;
    QVERIFY(xml.SetText("<R><V>" + content + "</V></R>"));
    QVERIFY(xml.FindChildElement("V"));
    QCOMPARE(xml.GetChildText(), QString::fromUtf8(data));
}

void TestXmlText::noDataForParents() {
    QCOMPARE(ChildData("<R><V>x<W/>y</V></R>", "V"), QByteArray());
    QCOMPARE(ChildData("<R><V/></R>", "V"), QByteArray());
    QCOMPARE(ChildData("<R><V></V></R>", "V"), QByteArray());
    CXmlText xml;
    QVERIFY(xml.SetText("<R>x</R>"));
    QVERIFY(xml.FindElement());
    QCOMPARE(xml.GetChildData(), QByteArray()); // no child position yet
}

void TestXmlText::writeData_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("markup characters") << QByteArray("a<b&c>d") << QByteArray("a&lt;b&amp;c&gt;d");
    QTest::newRow("quotes stay") << QByteArray("'\"") << QByteArray("'\"");
    QTest::newRow("entity-like text")
        << QByteArray("&#65; &nbsp; &") << QByteArray("&amp;#65; &amp;nbsp; &amp;");
    QTest::newRow("blanks and breaks") << QByteArray(" a\r\nb ") << QByteArray(" a\r\nb ");
    QTest::newRow("cdata-like text")
        << QByteArray("<![CDATA[x]]>") << QByteArray("&lt;![CDATA[x]]&gt;");
    QTest::newRow("non-ASCII") << QByteArray("\xc3\xa9\xe2\x82\xac")
                               << QByteArray("\xc3\xa9\xe2\x82\xac");
}

void TestXmlText::writeData() {
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, written);

    CXmlText xml;
    xml.SetText();
    QVERIFY(xml.AddElement("R"));
    QVERIFY(xml.EnterElement());
    QVERIFY(xml.AddElement("V", data));
    QCOMPARE(xml.GetText(), "<R>\r\n<V>" + written + "</V>\r\n</R>\r\n");
    QCOMPARE(xml.LeaveElement(), true);
    QCOMPARE(xml.GetChildData(), data);
    QCOMPARE(ChildData(xml.GetText(), "V"), data);
}

void TestXmlText::addElement_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("path");  // child names to enter from the root, by FindElement
    QTest::addColumn<QByteArray>("after"); // element to stand on before adding; empty: none
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("declaration only")
        << QByteArray("<?xml version=\"1.0\"?>\r\n") << QByteArray("-") << QByteArray()
        << QByteArray("<?xml version=\"1.0\"?>\r\n<N>a&lt;b</N>\r\n");
    QTest::newRow("into <P/>") << QByteArray("<P/>") << QByteArray() << QByteArray()
                               << QByteArray("<P>\r\n<N>a&lt;b</N>\r\n</P>");
    QTest::newRow("into <P />") << QByteArray("<P />") << QByteArray() << QByteArray()
                                << QByteArray("<P >\r\n<N>a&lt;b</N>\r\n</P>");
    QTest::newRow("into <P></P>") << QByteArray("<P></P>") << QByteArray() << QByteArray()
                                  << QByteArray("<P>\r\n<N>a&lt;b</N>\r\n</P>");
    QTest::newRow("after last child")
        << QByteArray("<P>\r\n<A/>\r\n</P>") << QByteArray() << QByteArray()
        << QByteArray("<P>\r\n<A/>\r\n<N>a&lt;b</N>\r\n</P>");
    QTest::newRow("between children")
        << QByteArray("<P><A/>\r\n  <C/></P>") << QByteArray() << QByteArray("A")
        << QByteArray("<P><A/>\r\n  <N>a&lt;b</N>\r\n<C/></P>");
    QTest::newRow("after child before text")
        << QByteArray("<P><A/>t<C/></P>") << QByteArray() << QByteArray("A")
        << QByteArray("<P><A/><N>a&lt;b</N>\r\nt<C/></P>");
    QTest::newRow("deeper, later siblings move")
        << QByteArray("<R><P/><Q>z</Q></R>") << QByteArray("P") << QByteArray()
        << QByteArray("<R><P>\r\n<N>a&lt;b</N>\r\n</P><Q>z</Q></R>");
}

void TestXmlText::addElement() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, expected);

    CXmlText xml;
    xml.SetText(text);
    if (path != "-") {
        QVERIFY(xml.FindElement());
        QVERIFY(xml.EnterElement());
        if (!path.isEmpty()) {
            QVERIFY(xml.FindElement(path));
            QVERIFY(xml.EnterElement());
        }
        if (!after.isEmpty()) {
            QVERIFY(xml.FindElement(after));
        }
    }
    QVERIFY(xml.AddElement("N", "a<b"));
    QCOMPARE(xml.GetText(), expected);

    // The index kept in step with the edit is the one a fresh parse builds.
    CXmlText reparsed;
    QVERIFY(reparsed.SetText(xml.GetText()));
    QCOMPARE(CXmlTextInspector::Describe(xml), CXmlTextInspector::Describe(reparsed));

    if (path == "-") {
        QVERIFY(!xml.AddElement("M")); // one top-level element only
        return;
    }
    // And the cursor still works: a second element goes right after the first.
    QVERIFY(xml.AddElement("M"));
    QVERIFY(xml.GetText().contains("<N>a&lt;b</N><M/>\r\n") ||
            xml.GetText().contains("<N>a&lt;b</N>\r\n<M/>\r\n"));
    QVERIFY(reparsed.SetText(xml.GetText()));
    QCOMPARE(CXmlTextInspector::Describe(xml), CXmlTextInspector::Describe(reparsed));
}

void TestXmlText::addElementRefusesBadNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank") << QByteArray("A B");
    QTest::newRow("slash") << QByteArray("A/");
    QTest::newRow("angle") << QByteArray("A>");
    QTest::newRow("quote") << QByteArray("\"A");
}

void TestXmlText::addElementRefusesUnopenableParent() {
    // Replacing the last '/' of "<P //>" would still leave an empty-element tag.
    CXmlText xml;
    QVERIFY(xml.SetText("<P //>"));
    QVERIFY(xml.FindElement());
    QVERIFY(xml.EnterElement());
    QVERIFY(!xml.AddElement("N", "x"));
    QCOMPARE(xml.GetText(), QByteArray("<P //>"));
}

void TestXmlText::addElementRefusesBadNames() {
    QFETCH(QByteArray, name);
    CXmlText xml;
    QVERIFY(xml.SetText("<R/>"));
    QVERIFY(xml.FindElement());
    QVERIFY(xml.EnterElement());
    QVERIFY(!xml.AddElement(name, "x"));
    QCOMPARE(xml.GetText(), QByteArray("<R/>"));
}

void TestXmlText::randomAdditionsReparse_data() {
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed) {
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
}

void TestXmlText::randomAdditionsReparse() {
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    static const char* const kNames[] = {"A", "AB", "NAME", "NAMES", "X1"};
    static const char* const kPieces[] = {"",  "a",    "<",     "&",   ">",        "\"",   "'",
                                          " ", "\r\n", "&amp;", "]]>", "\xc3\xa9", "<!--", "x"};
    static const char* const kStarts[] = {"", "<?xml version=\"1.0\"?>\r\n", "<R/>", "<R></R>",
                                          "<!-- c --><R>\r\n</R>"};

    CXmlText xml;
    xml.SetText(kStarts[random.bounded(5)]);
    if (!xml.FindElement()) {
        QVERIFY(xml.AddElement("R"));
    }
    QVERIFY(xml.EnterElement());
    int depth = 1;
    for (int step = 0; step < 60; ++step) {
        const int action = static_cast<int>(random.bounded(10));
        if (action < 6) {
            QByteArray data;
            const int pieces = static_cast<int>(random.bounded(4));
            for (int i = 0; i < pieces; ++i) {
                data += kPieces[random.bounded(14)];
            }
            QVERIFY(xml.AddElement(kNames[random.bounded(5)], data));
        } else if (action < 8) {
            if (xml.EnterElement()) {
                ++depth;
            }
        } else if (depth > 1 && xml.LeaveElement()) {
            --depth;
        }
        // At times start over from a parse and stand on an earlier element, so that additions
        // also go in between elements that have later siblings and descendants.
        if (random.bounded(8) == 0) {
            QVERIFY(xml.SetText(xml.GetText()));
            QVERIFY(xml.FindElement());
            QVERIFY(xml.EnterElement());
            depth = 1;
            for (int hops = static_cast<int>(random.bounded(4)); hops > 0; --hops) {
                xml.FindElement();
            }
            if (random.bounded(2) == 0 && xml.FindChildElement() && xml.EnterElement()) {
                depth = 2;
            }
        }
    }
    CXmlText reparsed;
    QVERIFY2(reparsed.SetText(xml.GetText()), reparsed.GetError().constData());
    QCOMPARE(CXmlTextInspector::Describe(xml), CXmlTextInspector::Describe(reparsed));
}
