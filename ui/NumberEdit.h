#pragma once

#include <QSpinBox>
#include <optional>

// A number field that takes whatever digits are typed and brings the value back into its
// range when the user leaves it (typing 500 in a 10..300 field gives 300), with the arrows of
// a spin box. It may also be left empty, for "leave this option as it is" in grouped editing.
namespace glanix {

class NumberEdit final : public QSpinBox {
    Q_OBJECT

public:
    NumberEdit(int minimum, int maximum, QWidget* parent = nullptr);

    void setAllowEmpty(bool allow);

    bool allowEmpty() const { return m_allowEmpty; }

    bool isEmpty() const;
    void clearValue(); // empty when allowed, else the minimum
    std::optional<int> number() const;
    void setNumber(int value);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;
    void stepBy(int steps) override;

private:
    int emptyValue() const { return m_minimum - 1; }

    int m_minimum;
    int m_maximum;
    bool m_allowEmpty = false;
};

} // namespace glanix
