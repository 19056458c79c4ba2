#pragma once
// The Windows-1252 code page, in which older files of the program (settings,
// job files, language files) were written.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The character of one Windows-1252 byte. The five bytes the code page
// leaves undefined stand for the C1 control of the same number, so every
// byte reads and writes back unchanged.
char16_t Windows1252ToUnicode(unsigned char byte);

QString DecodeWindows1252(QByteArrayView bytes);

// The text as Windows-1252 bytes; False, with `bytes` undefined, when some
// character has no byte in the code page.
bool EncodeWindows1252(QStringView text, QByteArray& bytes);
