#pragma once
// The one error type that the common dialogs object raises to its caller.

#include <QString>
#include <stdexcept>

namespace plainora {

class CommonDialogsError : public std::runtime_error
{
public:
    enum Number : int {
        InvalidArgument = 5, // a property value the dialog cannot take
        NoOwner = 91,        // a Show operation before Init, or after the owner closed
        DialogFailed = 32755 // the dialog itself could not be shown
    };

    CommonDialogsError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

} // namespace plainora
