// The test support library needs one source until the scripted server arrives.
namespace testsupport {
}
