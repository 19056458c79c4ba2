#pragma once
// The Windows-1252 code page, in which older 8-bit text files and job files
// were written. It differs from Latin-1 only in 0x80 to 0x9F; the five
// bytes the code page leaves undefined stand for the C1 control of the
// same number, so every byte reads and writes back unchanged.
#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>

// The character of one byte.
QChar Windows1252Char(unsigned char byte);

QString DecodeWindows1252(QByteArrayView bytes);

// False when some character has no Windows-1252 byte; `bytes` is then
// incomplete.
bool EncodeWindows1252(QStringView text, QByteArray& bytes);
