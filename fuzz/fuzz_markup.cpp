// Arbitrary bytes through the markup parser, its cursor and writer, and the passwords reader.
// Beyond not crashing it checks two promises: an element added to any parsed tree parses again
// with its data intact, and accounts read from any text survive a write and a second read.
#include "CXmlText.h"
#include "FuzzChecks.h"
#include "PasswordsMarkup.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

using namespace fuzzchecks;

namespace {

// Walks the whole tree with the cursor, reading every element's data.
void Walk(CXmlText& xml, int depth) {
    while (xml.FindChildElement()) {
        (void)xml.GetChildData();
        (void)xml.GetChildText();
        if (depth < 64 && xml.EnterElement()) {
            if (xml.FindElement()) {
                Walk(xml, depth + 1);
            }
            xml.LeaveElement();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    CXmlText xml;
    xml.SetText();
    if (xml.SetText(bytes)) {
        Walk(xml, 0);

        // Add an element inside the root, after its first child when there is one.
        CXmlText edit;
        Check(edit.SetText(bytes));
        Check(edit.FindElement());
        Check(edit.EnterElement());
        edit.FindElement();
        const QByteArray value = bytes.left(16);
        // Refused only for a parent whose start tag cannot be opened ("<P //>").
        if (!edit.AddElement("FUZZ", value)) {
            Check(edit.GetText() == bytes);
        } else {
            // The new element parses again and gives back its data.
            CXmlText read;
            Check(read.SetText(edit.GetText()));
            bool found = false;
            while (read.FindChildElement("FUZZ")) {
                found = found || read.GetChildData() == value;
            }
            Check(found);
        }
    } else {
        Check(!xml.FindElement());
        Check(xml.GetChildData().isEmpty());
    }

    AccountStore store;
    ReadPasswordsMarkup(bytes, store);
    AccountStore reread;
    ReadPasswordsMarkup(BuildPasswordsMarkup(store), reread);
    Check(Records(store.web) == Records(reread.web));
    Check(Records(store.mail) == Records(reread.mail));
    Check(Records(store.other) == Records(reread.other));
    return 0;
}
