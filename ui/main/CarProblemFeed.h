#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class CarTreeModel;
namespace CarChecks {
class Runner;
}

// Checks the cars of a scan on other threads once the list is shown, and marks in the tree
// those the game cannot use as they are found, so that the first window waits for none of it.
class CarProblemFeed : public QObject
{
    Q_OBJECT

public:
    // The checks begin once shownIn has painted the cars of the scan.
    CarProblemFeed(CarTreeModel* model, QWidget* shownIn);
    ~CarProblemFeed() override;

    // Checks these cars of the cars folder anew, once they are shown; checks still at work on
    // others stop.
    void start(const QString& carsFolder, const QStringList& folderNames);
    // From start until every car is checked.
    bool isRunning() const { return mStarting || mRunner; }

signals:
    // Some cars' marks changed.
    void marked();
    // Every car is checked.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Begin();
    void Take();

    CarTreeModel* mModel;
    QWidget* mShownIn;
    std::unique_ptr<CarChecks::Runner> mRunner;
    QString mCarsFolder;
    QStringList mNames;
    bool mStarting = false;
    QSet<QString> mFound;
    QTimer mPoll;
};
