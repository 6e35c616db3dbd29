' 5 million reads and writes of a data member declared after 50 others.
Dim f1 As Long
Dim f2 As Long
Dim f3 As Long
Dim f4 As Long
Dim f5 As Long
Dim f6 As Long
Dim f7 As Long
Dim f8 As Long
Dim f9 As Long
Dim f10 As Long
Dim f11 As Long
Dim f12 As Long
Dim f13 As Long
Dim f14 As Long
Dim f15 As Long
Dim f16 As Long
Dim f17 As Long
Dim f18 As Long
Dim f19 As Long
Dim f20 As Long
Dim f21 As Long
Dim f22 As Long
Dim f23 As Long
Dim f24 As Long
Dim f25 As Long
Dim f26 As Long
Dim f27 As Long
Dim f28 As Long
Dim f29 As Long
Dim f30 As Long
Dim f31 As Long
Dim f32 As Long
Dim f33 As Long
Dim f34 As Long
Dim f35 As Long
Dim f36 As Long
Dim f37 As Long
Dim f38 As Long
Dim f39 As Long
Dim f40 As Long
Dim f41 As Long
Dim f42 As Long
Dim f43 As Long
Dim f44 As Long
Dim f45 As Long
Dim f46 As Long
Dim f47 As Long
Dim f48 As Long
Dim f49 As Long
Dim f50 As Long
Dim v As Long

Function Main() As Long
  Dim i As Long
  v = 0
  For i = 1 To 5000000
    v = v + 1
  Next i
  Main = v
End Function
