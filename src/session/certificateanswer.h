#pragma once

// The user's answer to a server certificate that did not verify.
enum class CertificateAnswer { Cancel, TrustOnce, TrustAlways };
