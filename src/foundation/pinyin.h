#pragma once

#include <QList>
#include <QString>

// How ICU reads Chinese characters in Latin letters (Han-Latin, then Latin-ASCII, in lower case): the
// source of every pinyin key the name searches find people by. ICU gives one reading a character; its
// "Names" variant reads some characters as surnames (单 shan, 曾 zeng, 解 xie), mostly only as a
// name's first character.
namespace Pinyin {

struct Reading {
    QString character;
    QString atStart; // as a name's first character (Han-Latin/Names)
    QString inName;  // anywhere else in a name (Han-Latin/Names)
    QString common;  // the common reading (Han-Latin)
};

// Every Han character ICU reads, in code point order. Computed once a process: it takes ICU about half a
// second.
const QList<Reading>& readings();

} // namespace Pinyin
