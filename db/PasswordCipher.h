#pragma once

#include <QString>

// Stored passwords (database and feed passwords). The stored form is the
// Base64 text of the password's UTF-8 bytes enciphered with Blowfish in
// CFB-8 mode; a text in square brackets is a plain password a user typed
// into the settings file. Thread-safe: every call uses its own cipher.
QString EncryptPassword(const QString& plain);
QString DecryptPassword(const QString& stored);
QString DecodeStoredPassword(const QString& text);
