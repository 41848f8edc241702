#pragma once

#include <QString>

#include <exception>

// The program's errors carry the text that the user sees or the log records.
class DxError : public std::exception
{
public:
    explicit DxError(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A failure of the database engine; the text is the engine's own.
class DbError : public DxError
{
public:
    explicit DbError(QString message, int code = 0)
        : DxError(std::move(message))
        , m_code(code)
    {
    }
    // The engine's result code (0 when the error did not come from the engine).
    int code() const { return m_code; }
    // The database was locked by another connection or program.
    bool isBusy() const { return (m_code & 0xff) == 5 || (m_code & 0xff) == 6; }

private:
    int m_code = 0;
};

// A file could not be read or written.
class IoError : public DxError
{
public:
    using DxError::DxError;
};

// An operation was stopped after its failure had been reported to the user; callers end the
// operation without reporting it again.
class AbortError : public DxError
{
public:
    using DxError::DxError;
};

// A text could not be read as the value a field or setting needs.
class ConversionError : public DxError
{
public:
    using DxError::DxError;
};
