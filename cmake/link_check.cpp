// Linked with every object of one layer and only the layers beneath it: the
// link fails if the layer calls into a layer above.
int main() {
  return 0;
}
