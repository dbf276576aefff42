#include <gtest/gtest.h>

#include "model/Observer.h"

namespace {

struct Subject : Observable
{
    void Send(int value) { NotifyInternal(ObserverParam<int>(value)); }
};

// Logs "observer id: value" for each notification, so that order across observers shows.
struct Recorder : Observer
{
    std::vector<std::string>* log;
    char id;
    Recorder(std::vector<std::string>* l, char i) : log(l), id(i) {}
    void Update(Observable*, const ObserverParamBase& param) override
    {
        if (auto* p = dynamic_cast<const ObserverParam<int>*>(&param))
            log->push_back(id + std::to_string(p->GetValue()));
    }
};

// Notified in attach order, once each; only what is attached detaches. Whichever side is
// destroyed first, the other forgets it: nothing reaches a destroyed observer, no
// observer keeps a destroyed observable.
TEST(Observer, AttachDetachAndDestructionOfEitherSide)
{
    std::vector<std::string> log;
    Subject first, second;
    Recorder a(&log, 'a'), survivor(&log, 's');
    const Observable* gone = nullptr;
    EXPECT_FALSE(first.Detach(&a));
    EXPECT_TRUE(first.Attach(&survivor));
    EXPECT_TRUE(first.Attach(&a));
    EXPECT_FALSE(first.Attach(&a));
    first.Send(1);
    EXPECT_TRUE(first.Detach(&a));
    first.Send(2);
    {
        Recorder doomed(&log, 'd');
        Subject doomedSubject;
        gone = &doomedSubject;
        first.Attach(&doomed);
        second.Attach(&doomed);
        second.Attach(&survivor);
        doomedSubject.Attach(&survivor);
        EXPECT_TRUE(survivor.IsObserving(gone));
    }
    // The panes ask this before detaching through a pointer they kept.
    EXPECT_FALSE(survivor.IsObserving(gone));
    EXPECT_EQ(first.GetObservers(), std::vector<Observer*>{&survivor});
    EXPECT_EQ(survivor.GetObservables(), (std::vector<Observable*>{&first, &second}));
    EXPECT_TRUE(a.GetObservables().empty());
    second.Send(3);
    EXPECT_EQ(log, (std::vector<std::string>{"s1", "a1", "s2", "s3"}));
}

} // namespace
