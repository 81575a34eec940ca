#pragma once

#include <QString>
#include <stdexcept>

// The failures of the HTTP client. Inside a download they become negative statuses (a
// protocol error -2, a socket error -3, a transfer cut at its time limit -5, any other -4);
// a terminate request passes through.
namespace glanix {

class ETcpIpError : public std::runtime_error {
public:
    explicit ETcpIpError(const QString& message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }

    const QString& message() const { return m_message; }

private:
    QString m_message;
};

class ESocketError : public ETcpIpError {
public:
    explicit ESocketError(int errorCode, const QString& message = {})
        : ETcpIpError(message)
        , m_errorCode(static_cast<quint16>(errorCode))
    {
    }

    quint16 errorCode() const { return m_errorCode; }

private:
    quint16 m_errorCode;
};

class EProtocolError : public ETcpIpError {
public:
    EProtocolError(const QString& message, int status = 0, QString protocol = QStringLiteral("HTTP"))
        : ETcpIpError(message)
        , m_status(static_cast<quint16>(status))
        , m_protocol(std::move(protocol))
    {
    }

    quint16 status() const { return m_status; }

    const QString& protocol() const { return m_protocol; }

private:
    quint16 m_status;
    QString m_protocol;
};

// The transfer lasted longer than its owner allows (TransferDeadline): cut, whatever it had
// received.
class ETransferTimeLimit : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// Raised when the owner of the transfer asked it to stop; carries "TimeOut" like the
// download thread's own interruption, and is not turned into a status.
class ETerminated : public std::runtime_error {
public:
    ETerminated()
        : std::runtime_error("TimeOut")
    {
    }
};

} // namespace glanix
