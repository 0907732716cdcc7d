// The one question the engine asks its user in the middle of an operation: the disk prompt of the
// disk check, asked again for as long as the marker is missing and the user answers OK. The front
// end that drives the engine passes its answerer in (the viewer its prompt with Browse..., rollkit
// one that never waits for a person, tests a scripted one); nothing in the engine reaches for a
// global handler.
#pragma once

class RollDialogue {
 public:
  virtual ~RollDialogue() = default;

  // The disk prompt ("Please insert Kinloom Disk 3(Dravenholt)..."): kIdOk when the user says the
  // disk is in (it is then looked for again), kIdCancel to give up; any other answer means it
  // could not be asked, and the operation goes on as if the disk were there.
  virtual int AskForDisk() = 0;
};

// The dialogue of a run that nobody watches (a tool, a benchmark, a fuzzer): every disk prompt
// gets `answer` at once (kIdCancel: give up; 0: go on as if it could not be shown).
class UnattendedDialogue : public RollDialogue {
 public:
  explicit UnattendedDialogue(int answer) : given(answer) {}
  int AskForDisk() override { return given; }

 private:
  int given;
};
