// Which SANE device our source manager opens, asked through its entry
// point as any TWAIN application asks: a source is known by the identity
// number the manager handed out with it, never by its name, which the
// identity cuts to its field. Where SANE or its test devices are missing
// the tests skip.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "IdentityText.h"
#include "SaneTestDevice.h"
#include "SourceManagerLibrary.h"

namespace {

class SaneSourceIdentityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        library = SourceManagerLibrary::Load(SANE_DSM_LIBRARY);
        ASSERT_NE(library, nullptr);
        ASSERT_NE(library->Entry(), nullptr);
        if (Call(DAT_PARENT, MSG_OPENDSM, &parent) != TWRC_SUCCESS)
            GTEST_SKIP() << "SANE does not start here";
        opened = true;
        if (Listed() != std::vector<std::string>{"test:0", "test:1"})
            GTEST_SKIP() << "SANE's test devices are missing";
    }
    void TearDown() override
    {
        if (opened)
            Call(DAT_PARENT, MSG_CLOSEDSM, &parent);
    }

    TW_UINT16 Call(TW_UINT16 dat, TW_UINT16 msg, void* data)
    {
        return library->Entry()(&application, nullptr, DG_CONTROL, dat, msg, data);
    }

    TW_UINT16 Condition()
    {
        TW_STATUS status{};
        Call(DAT_STATUS, MSG_GET, &status);
        return status.ConditionCode;
    }

    // The product names MSG_GETFIRST and MSG_GETNEXT give, noting each
    // source's identity.
    std::vector<std::string> Listed()
    {
        std::vector<std::string> names;
        TW_IDENTITY source{};
        for (TW_UINT16 result = Call(DAT_IDENTITY, MSG_GETFIRST, &source); result == TWRC_SUCCESS;
             result = Call(DAT_IDENTITY, MSG_GETNEXT, &source)) {
            names.push_back(ReadIdentityText(source.ProductName));
            sources.push_back(source);
        }
        return names;
    }

    // Opens the source, gives the name of the device opened ("" when
    // none) and closes it again.
    std::string Opened(TW_IDENTITY source)
    {
        if (Call(DAT_IDENTITY, MSG_OPENDS, &source) != TWRC_SUCCESS)
            return "";
        Call(DAT_IDENTITY, MSG_CLOSEDS, &source);
        return ReadIdentityText(source.ProductName);
    }

    SaneTestDevice devices{2};
    std::unique_ptr<SourceManagerLibrary> library;
    TW_IDENTITY application{};
    TW_HANDLE parent = nullptr;
    bool opened = false;
    std::vector<TW_IDENTITY> sources;
};

TEST_F(SaneSourceIdentityTest, EachSourceOpensByItsNumberWhateverItsName)
{
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_NE(sources[0].Id, sources[1].Id);
    EXPECT_EQ(Opened(sources[0]), "test:0");
    EXPECT_EQ(Opened(sources[1]), "test:1");
    TW_IDENTITY misnamed = sources[1];
    CopyIdentityText(misnamed.ProductName, "test:0");
    EXPECT_EQ(Opened(misnamed), "test:1");
}

// A device keeps its number when the list is read again.
TEST_F(SaneSourceIdentityTest, NumbersStayWithTheirDevices)
{
    const std::vector<TW_IDENTITY> first = sources;
    sources.clear();
    Listed();
    ASSERT_EQ(sources.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(sources[i].Id, first[i].Id) << i;
}

TEST_F(SaneSourceIdentityTest, AnIdentityWithoutANumberItHandedOutOpensNothing)
{
    TW_IDENTITY empty{};
    TW_IDENTITY named{};
    CopyIdentityText(named.ProductName, "test:0");
    TW_IDENTITY unknown = sources[1];
    unknown.Id = 99;
    for (TW_IDENTITY source : {empty, named, unknown}) {
        SCOPED_TRACE(ReadIdentityText(source.ProductName) + " #" + std::to_string(source.Id));
        EXPECT_EQ(Call(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_FAILURE);
        EXPECT_EQ(Condition(), TWCC_NODS);
    }
}

// The device the user picks in the selection dialog is the one its
// identity opens.
TEST_F(SaneSourceIdentityTest, TheUsersChoiceInTheDialogOpensThatDevice)
{
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "SourceSelectDialog" && widget->isVisible()) {
                widget->findChild<QListWidget*>()->setCurrentRow(1);
                widget->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }
    });
    TW_IDENTITY chosen{};
    ASSERT_EQ(Call(DAT_IDENTITY, MSG_USERSELECT, &chosen), TWRC_SUCCESS);
    EXPECT_EQ(ReadIdentityText(chosen.ProductName), "test:1");
    EXPECT_EQ(chosen.Id, sources[1].Id);
    EXPECT_EQ(Opened(chosen), "test:1");
}

} // namespace
