#include "ui/NumberEdit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>

namespace glanix {

namespace {

std::optional<qint64> digits(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(-?\\d{1,12})\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toLongLong();
}

} // namespace

NumberEdit::NumberEdit(int minimum, int maximum, QWidget* parent)
    : QSpinBox(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
{
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setAccelerated(true);
}

void NumberEdit::setAllowEmpty(bool allow)
{
    if (allow == m_allowEmpty)
        return;
    m_allowEmpty = allow;
    const int current = value();
    setRange(allow ? emptyValue() : m_minimum, m_maximum);
    setValue(current);
}

bool NumberEdit::isEmpty() const
{
    return m_allowEmpty && value() == emptyValue();
}

void NumberEdit::clearValue()
{
    setValue(m_allowEmpty ? emptyValue() : m_minimum);
}

std::optional<int> NumberEdit::number() const
{
    if (isEmpty())
        return std::nullopt;
    return value();
}

void NumberEdit::setNumber(int value)
{
    setValue(std::clamp(value, m_minimum, m_maximum));
}

QValidator::State NumberEdit::validate(QString& text, int& /*pos*/) const
{
    if (text.trimmed().isEmpty())
        return m_allowEmpty ? QValidator::Acceptable : QValidator::Intermediate;
    if (text.trimmed() == u'-')
        return m_minimum < 0 ? QValidator::Intermediate : QValidator::Invalid;
    const std::optional<qint64> v = digits(text);
    if (!v)
        return QValidator::Invalid;
    return *v >= m_minimum && *v <= m_maximum ? QValidator::Acceptable : QValidator::Intermediate;
}

void NumberEdit::fixup(QString& input) const
{
    if (const std::optional<qint64> v = digits(input))
        input = QString::number(std::clamp<qint64>(*v, m_minimum, m_maximum));
}

int NumberEdit::valueFromText(const QString& text) const
{
    if (text.trimmed().isEmpty())
        return m_allowEmpty ? emptyValue() : m_minimum;
    return static_cast<int>(std::clamp<qint64>(digits(text).value_or(m_minimum), m_minimum, m_maximum));
}

QString NumberEdit::textFromValue(int value) const
{
    if (m_allowEmpty && value == emptyValue())
        return {};
    return QString::number(value);
}

void NumberEdit::stepBy(int steps)
{
    // From empty the arrows start at the range, never back to empty.
    const int from = isEmpty() ? (steps > 0 ? m_minimum - 1 : m_maximum + 1) : value();
    setValue(std::clamp(from + steps, m_minimum, m_maximum));
    selectAll();
}

} // namespace glanix
