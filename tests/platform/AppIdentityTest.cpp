#include "TempFolder.h"
#include "VersionInfo.h"
#include "modLorvane.h"
#include "test_identity.h"

#include <gtest/gtest.h>

TEST(AppIdentity, ComesFromTheExecutablesOwnVersionInformation) {
    modLorvane::ProgramName = "stale";
    modLorvane::UseSkin = true;
    modLorvane::ProductNumber = 9;
    modLorvane::LoadAppIdentity();
    EXPECT_EQ(modLorvane::ProgramName, IDENTITY_PRODUCT_NAME);
    EXPECT_EQ(modLorvane::CompanyName, IDENTITY_COMPANY_NAME);
    EXPECT_EQ(modLorvane::WebsiteHost, IDENTITY_WEBSITE_HOST);
    EXPECT_EQ(modLorvane::ProductNumber, 0);
    EXPECT_FALSE(modLorvane::UseSkin);
    EXPECT_EQ(modLorvane::BannerUrl, "http://");

    modLorvane::LoadAppIdentity();
    EXPECT_EQ(modLorvane::ProgramName, IDENTITY_PRODUCT_NAME);
}

TEST(AppIdentity, VersionFieldsOfOtherFiles) {
    const std::string exe = OwnExecutablePath();
    EXPECT_EQ(ReadVersionString(exe, "CompanyName"), IDENTITY_COMPANY_NAME);
    EXPECT_EQ(ReadVersionString(exe, "NoSuchField"), "");

    TempFolder folder;
    const std::string text = folder.WriteFile("plain.exe", "MZ not really a program");
    EXPECT_EQ(ReadVersionString(text, "CompanyName"), "");
    EXPECT_EQ(ReadVersionString(folder / "missing.exe", "CompanyName"), "");
    EXPECT_EQ(ReadVersionString("", "CompanyName"), "");
}
