#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

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
    CarProblemFeed(CarTreeModel* model, QObject* parent);
    ~CarProblemFeed() override;

    // Checks these cars of the cars folder anew, once the window has shown what it shows now;
    // checks still at work on others stop.
    void start(const QString& carsFolder, const QStringList& folderNames);
    // From start until every car is checked.
    bool isRunning() const { return mStarting || mRunner; }

signals:
    // Some cars' marks changed.
    void marked();
    // Every car is checked.
    void finished();

private:
    void Begin();
    void Take();

    CarTreeModel* mModel;
    std::unique_ptr<CarChecks::Runner> mRunner;
    QString mCarsFolder;
    QStringList mNames;
    bool mStarting = false;
    QSet<QString> mFound;
    QTimer mPoll;
};
