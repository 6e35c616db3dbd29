' Double arithmetic in a counted loop of 10 million steps.
Function Main() As Long
  Dim i As Long, x As Double
  x = 0
  For i = 1 To 10000000
    x = x * 0.999 + 1.5
  Next i
  Main = Int(x * 1000)
End Function
