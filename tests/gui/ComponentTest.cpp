#include "components/Component.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/ExtCtrls.h"
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "GuiTestApp.h"

namespace {

// Records its name in a shared log when it is destroyed.
class TLogged : public TComponent {
public:
    explicit TLogged(std::vector<std::string>& log) : log_(log) {}
    ~TLogged() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};

} // namespace

TEST(Component, FindsOwnedComponentsByNameWithoutCase)
{
    std::vector<std::string> log;
    TComponent owner;
    TLogged* a = NewComponent<TLogged>(owner, log);
    a->SetName("Panel1");
    TLogged* b = NewComponent<TLogged>(owner, log);
    b->SetName("Panel12");
    EXPECT_EQ(owner.FindComponent("Panel1"), a);
    EXPECT_EQ(owner.FindComponent("PANEL12"), b);
    EXPECT_EQ(owner.FindComponent("Panel2"), nullptr);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_EQ(a->Owner(), &owner);
    EXPECT_EQ(owner.ComponentCount(), 2);
}

TEST(Component, NamesAreUniqueAmongSiblings)
{
    TComponent owner;
    TComponent* a = NewComponent<TComponent>(owner);
    a->SetName("Edit1");
    TComponent* b = NewComponent<TComponent>(owner);
    try {
        b->SetName("edit1");
        FAIL() << "a second Edit1 was accepted";
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named edit1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("EDIT1"); // renaming itself is no clash
    EXPECT_EQ(a->Name(), "EDIT1");
    TComponent other;
    NewComponent<TComponent>(other)->SetName("Edit1"); // another owner's names do not count
}

TEST(Component, OwnerFreesTheLastMadeFirst)
{
    std::vector<std::string> log;
    {
        TComponent owner;
        for (const char* name : {"A", "B", "C"})
            NewComponent<TLogged>(owner, log)->SetName(name);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"C", "B", "A"}));
}

TEST(Component, FreeRemovesFromTheOwnerAtOnce)
{
    std::vector<std::string> log;
    TComponent owner;
    TLogged* a = NewComponent<TLogged>(owner, log);
    a->SetName("A");
    NewComponent<TLogged>(owner, log)->SetName("B");
    a->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"A"}));
    EXPECT_EQ(owner.FindComponent("A"), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Component, FreeingAParentControlLeavesItsChildrenToTheirOwner)
{
    TestApplication();
    TForm form;
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetName("Panel1");
    panel->SetParent(&form);
    TEdit* edit = NewComponent<TEdit>(form);
    edit->SetName("Edit1");
    edit->SetParent(panel);
    EXPECT_EQ(panel->ControlCount(), 1);
    panel->Free();
    EXPECT_EQ(edit->Parent(), nullptr);
    edit->SetText("still here");
    EXPECT_EQ(form.FindComponent("Edit1"), edit);
    EXPECT_EQ(form.ControlCount(), 0);
}

TEST(Component, FreeingAChildTakesItOutOfItsParent)
{
    TestApplication();
    TForm form;
    TPanel* panel = NewComponent<TPanel>(form);
    panel->SetParent(&form);
    TLabel* label = NewComponent<TLabel>(form);
    label->SetParent(panel);
    label->Free();
    EXPECT_EQ(panel->ControlCount(), 0);
}
