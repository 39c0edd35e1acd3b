// The identity the platform tests carry in their own version information.
#pragma once
#define IDENTITY_PRODUCT_NAME "Test Product Ω"
#define IDENTITY_COMPANY_NAME "Test Company"
#define IDENTITY_WEBSITE_HOST "www.test-product.example"
#define IDENTITY_VERSION_TEXT "2.3.4.5"
#define IDENTITY_VERSION_NUMBERS 2, 3, 4, 5
