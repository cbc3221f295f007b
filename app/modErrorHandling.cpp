#include "app/modErrorHandling.h"

namespace modErrorHandling {

AppError::AppError(std::int32_t number, QString source, QString description, QString detail)
    : mNumber(number), mSource(std::move(source)), mDescription(std::move(description)),
      mDetail(std::move(detail))
{
    mWhat = report().toLocal8Bit();
}

QString AppError::report() const
{
    QString text = QStringLiteral("Error %1 (0x%2)\nSource: %3\n%4")
                       .arg(mNumber)
                       .arg(QString::number(quint32(mNumber), 16).toUpper())
                       .arg(mSource, mDescription);
    if (!mDetail.isEmpty())
        text += QLatin1Char('\n') + mDetail;
    return text;
}

QString GetErrorText(int /*code*/)
{
    return QStringLiteral("An unknown error has occurred!");
}

void RaiseError(int code, const QString& source, const QString& detail)
{
    throw AppError(kObjectErrorBase + code, source, GetErrorText(code), detail);
}

} // namespace modErrorHandling
