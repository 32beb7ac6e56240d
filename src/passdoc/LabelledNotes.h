#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Fields that have no column of their own travel in the notes of an exported entry as
// labelled lines ("SMTP Server: mail.example.org") ahead of the notes themselves. Lines are
// separated by CR LF; a line is written only for a field that is not empty.
//
// So that every field comes back exactly, two rare cases are written differently: a value
// holding a line break (or starting with a quote) is written as a JSON string
// ("Description: \"two\r\nlines\""), and notes that would be mistaken for a labelled line (or
// for the marker itself) follow a line "Notes:".
using LabelledValues = QList<QPair<QString, QString>>; // label (with its colon), value

QString JoinLabelled(const LabelledValues& values, const QString& notes);

// Reads labelled lines back from the start of text: each label at most once and in the order
// given, as JoinLabelled writes them. Sets the values found and returns the rest (the notes).
QString TakeLabelled(const QString& text, const QList<QPair<QString, QString*>>& labels);

// The notes of text that JoinLabelled wrote for exactly these values, or text unchanged when
// it was not written so.
QString StripLabelled(const QString& text, const LabelledValues& values);
