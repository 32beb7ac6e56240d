#pragma once

#include "CXmlText.h"

#include <QByteArray>

// Reads the element index of a CXmlText, so that tests can compare trees position by position.
class CXmlTextInspector {
public:
    // One line per element in document order: depth, tag name, the four tag positions and the
    // element's data.
    static QByteArray Describe(const CXmlText& xml) {
        QByteArray out;
        if (xml.m_index.empty()) {
            return out;
        }
        CXmlText probe = xml;
        int depth = 0;
        int at = xml.m_index[0].firstChild;
        while (at != 0) {
            const CXmlText::Element& e = xml.m_index[static_cast<size_t>(at)];
            int begin = 0;
            int end = 0;
            xml.TagName(at, begin, end);
            probe.m_childPos = at;
            out += QByteArray::number(depth) + ' ' + xml.m_text.mid(begin, end - begin) + ' ' +
                   QByteArray::number(e.startOpen) + ' ' + QByteArray::number(e.startClose) + ' ' +
                   QByteArray::number(e.endOpen) + ' ' + QByteArray::number(e.endClose) + " [" +
                   probe.GetChildData() + "]\n";
            if (e.firstChild != 0) {
                at = e.firstChild;
                ++depth;
                continue;
            }
            while (at != 0 && xml.m_index[static_cast<size_t>(at)].nextSibling == 0) {
                at = xml.m_index[static_cast<size_t>(at)].parent;
                --depth;
            }
            if (at != 0) {
                at = xml.m_index[static_cast<size_t>(at)].nextSibling;
            }
        }
        return out;
    }
};
