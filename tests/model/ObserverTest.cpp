#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/Observer.h"

namespace {

class Subject : public Observable
{
public:
    void Send(int value) { NotifyInternal(ObserverParam<int>(value)); }
};

// Records which notifications arrived, and in what order across observers.
class Recorder : public Observer
{
public:
    explicit Recorder(std::vector<int>* log = nullptr, int id = 0) : m_log(log), m_id(id) {}
    void Update(Observable*, const ObserverParamBase& param) override
    {
        if (auto* p = dynamic_cast<const ObserverParam<int>*>(&param)) {
            values.push_back(p->GetValue());
            if (m_log)
                m_log->push_back(m_id);
        }
    }
    std::vector<int> values;

private:
    std::vector<int>* m_log;
    int m_id;
};

TEST(Observer, NotifiesInAttachOrderOnceEachAndDetachesOnlyWhatIsAttached)
{
    std::vector<int> order;
    Subject subject;
    Recorder a(&order, 1), b(&order, 2);
    EXPECT_FALSE(subject.Detach(&a));
    EXPECT_TRUE(subject.Attach(&b));
    EXPECT_TRUE(subject.Attach(&a));
    EXPECT_FALSE(subject.Attach(&a));
    subject.Send(7);
    EXPECT_EQ(order, (std::vector<int>{2, 1})); // once each, not twice
    EXPECT_TRUE(subject.Detach(&a));
    EXPECT_TRUE(a.GetObservables().empty());
    subject.Send(1);
    EXPECT_EQ(a.values, std::vector<int>{7});
}

// Whichever side goes first, the other forgets it: nothing reaches a destroyed observer,
// no observer keeps a destroyed observable.
TEST(Observer, DestroyingEitherSideUnlinksItEverywhere)
{
    Subject first, second;
    Recorder survivor;
    const Observable* gone = nullptr;
    {
        Recorder doomed;
        Subject doomedSubject;
        gone = &doomedSubject;
        first.Attach(&doomed);
        second.Attach(&doomed);
        second.Attach(&survivor);
        doomedSubject.Attach(&survivor);
        EXPECT_EQ(survivor.GetObservables().size(), 2u);
        EXPECT_TRUE(survivor.IsObserving(gone));
    }
    // The panes ask this before detaching through a pointer they kept.
    EXPECT_FALSE(survivor.IsObserving(gone));
    EXPECT_TRUE(first.GetObservers().empty());
    ASSERT_EQ(second.GetObservers().size(), 1u);
    ASSERT_EQ(survivor.GetObservables().size(), 1u);
    EXPECT_EQ(survivor.GetObservables()[0], &second);
    second.Send(5); // must not reach the destroyed observer
    EXPECT_EQ(survivor.values, std::vector<int>{5});
}

} // namespace
